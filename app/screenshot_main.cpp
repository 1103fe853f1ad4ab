// Renders every page of the window to a PNG file, after optional presses
// given as ostrolen-cli takes them: ostrolen-screenshot DIR [press BUTTON NAME=TEXT ...]...
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/about.h"
#include "app/page_builder.h"
#include "app/veltra.h"
#include "cli/cli.h"
#include "pages/pages.h"

namespace {

// Every leaf page with the tab indexes that lead to it.
struct PagePath {
  const ostrolen::TabNode* leaf;
  std::vector<std::pair<const ostrolen::TabNode*, int>> steps;
};

void CollectPaths(const ostrolen::TabNode& node, std::vector<std::pair<const ostrolen::TabNode*, int>>& steps,
                  std::vector<PagePath>& paths) {
  for (int i = 0; i < static_cast<int>(node.children.size()); ++i) {
    const ostrolen::TabNode& child = node.children[static_cast<std::size_t>(i)];
    steps.emplace_back(&node, i);
    if (child.page != nullptr) {
      paths.push_back({&child, steps});
    } else {
      CollectPaths(child, steps, paths);
    }
    steps.pop_back();
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  ostrolen::SetUpLook();
  if (argc < 2) {
    std::fprintf(stderr, "usage: ostrolen-screenshot DIR [press BUTTON NAME=TEXT ...]...\n");
    return 2;
  }
  const QString dir = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(dir);
  std::vector<ostrolen::PressGroup> groups;
  if (argc > 2) {
    try {
      groups = ostrolen::ParsePressGroups(std::vector<std::string>(argv + 2, argv + argc));
    } catch (const std::invalid_argument& error) {
      std::fprintf(stderr, "ostrolen-screenshot: %s\n", error.what());
      return 2;
    }
  }

  TForm1 form;
  form.window().SetMessageHook([](ostrolen::WidgetWindow::MessageKind kind, const QString& text) {
    std::fprintf(stderr, "%s\t%s\n", kind == ostrolen::WidgetWindow::MessageKind::Report ? "report" : "error",
                 text.toUtf8().constData());
  });
  form.show();
  for (const ostrolen::PressGroup& group : groups) {
    for (const auto& [name, text] : group.settings) {
      form.findChild<QLineEdit*>(QString::fromStdString(name))->setText(QString::fromStdString(text));
    }
    form.findChild<QToolButton*>(QString::fromStdString(group.button))->click();
  }

  std::vector<PagePath> paths;
  std::vector<std::pair<const ostrolen::TabNode*, int>> steps;
  CollectPaths(ostrolen::PageTree(), steps, paths);
  int number = 0;
  for (const PagePath& path : paths) {
    for (const auto& [set, index] : path.steps) {
      form.findChild<QTabWidget*>(QString::fromStdString(set->control))->setCurrentIndex(index);
    }
    application.processEvents();
    const QString file = QStringLiteral("%1/%2-%3.png")
                             .arg(dir)
                             .arg(++number, 2, 10, QLatin1Char('0'))
                             .arg(QString::fromStdString(path.leaf->sheet));
    if (!form.grab().save(file)) {
      std::fprintf(stderr, "ostrolen-screenshot: cannot write %s\n", file.toLocal8Bit().constData());
      return 1;
    }
    std::printf("%s\t%s\n", file.toLocal8Bit().constData(), path.leaf->caption.c_str());
  }
  form.about()->show();
  application.processEvents();
  form.about()->grab().save(dir + QStringLiteral("/about.png"));
  return 0;
}
