// Renders every page of the window to a PNG file, after optional steps:
// presses given as ostrolen-cli takes them, a result line selected, a
// line's field switched as a double click does, or a page's latest result
// kept as the reference for the next press (PAGE as ostrolen-cli names it):
//   ostrolen-screenshot DIR [press BUTTON NAME=TEXT ...|select LIST LINE|toggle LIST LINE|keep PAGE]...
// LINE is the line's number from 1 or the beginning of its text.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/about.h"
#include "app/front.h"
#include "app/page_builder.h"
#include "app/session_view.h"
#include "app/table_view.h"
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

// One step of the command line, in order.
struct Step {
  std::string kind;  // "press", "select", "toggle" or "keep"
  ostrolen::PressGroup press;
  std::string list;
  std::string line;
};

bool IsStepWord(const std::string& word) {
  return word == "press" || word == "select" || word == "toggle" || word == "keep";
}

std::vector<Step> ParseSteps(const std::vector<std::string>& args) {
  std::vector<Step> steps;
  for (std::size_t i = 0; i < args.size();) {
    if (args[i] == "press") {
      std::size_t end = i + 1;
      while (end < args.size() && !IsStepWord(args[end])) ++end;
      for (ostrolen::PressGroup& group : ostrolen::ParsePressGroups(
               {args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(end)})) {
        steps.push_back({"press", std::move(group), {}, {}});
      }
      i = end;
    } else if (args[i] == "keep") {
      if (i + 1 >= args.size()) throw std::invalid_argument("keep needs a page");
      steps.push_back({args[i], {}, args[i + 1], {}});
      i += 2;
    } else if (IsStepWord(args[i])) {
      if (i + 2 >= args.size()) throw std::invalid_argument(args[i] + " needs a list and a line");
      steps.push_back({args[i], {}, args[i + 1], args[i + 2]});
      i += 3;
    } else {
      throw std::invalid_argument("expected press, select or toggle, not '" + args[i] + "'");
    }
  }
  return steps;
}

// The line given by its number from 1 or the beginning of its text.
QListWidgetItem* FindLine(const QListWidget* list, const std::string& line) {
  const QString text = QString::fromStdString(line);
  bool number = false;
  const int row = text.toInt(&number);
  if (number) return list->item(row - 1);
  for (int i = 0; i < list->count(); ++i) {
    if (list->item(i)->text().startsWith(text)) return list->item(i);
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  ostrolen::SetUpLook();
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: ostrolen-screenshot DIR [press BUTTON NAME=TEXT ...|select LIST LINE|toggle LIST LINE|keep "
                 "PAGE]...\n");
    return 2;
  }
  const QString dir = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(dir);
  std::vector<Step> script;
  if (argc > 2) {
    try {
      script = ParseSteps(std::vector<std::string>(argv + 2, argv + argc));
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
  // OSTROLEN_SCREENSHOT_LOOK=dark: the pages in the dark look.
  if (qgetenv("OSTROLEN_SCREENSHOT_LOOK") == "dark") {
    form.front()->controller().ChooseLook(ostrolen::shell::Look::Dark);
    form.front()->Apply();
  }
  form.show();
  // OSTROLEN_SCREENSHOT_ZOOM=150: the pages at a zoom step, whatever the screen holds.
  if (const int zoom = qEnvironmentVariableIntValue("OSTROLEN_SCREENSHOT_ZOOM"); zoom > 0) {
    ostrolen::ui::Controller& controller = form.front()->controller();
    controller.LargestZoom(zoom);
    while (controller.DeskNow().zoom < zoom && controller.Zoom(1)) {
    }
    form.front()->Apply();
  }
  for (const Step& step : script) {
    if (step.kind == "press") {
      for (const auto& [name, text] : step.press.settings) {
        form.findChild<QLineEdit*>(QString::fromStdString(name))->setText(QString::fromStdString(text));
      }
      form.findChild<QToolButton*>(QString::fromStdString(step.press.button))->click();
      form.WaitForReading();
      continue;
    }
    if (step.kind == "keep") {
      if (!form.session()->session().KeepReference(step.list)) {
        std::fprintf(stderr, "ostrolen-screenshot: %s was not pressed yet\n", step.list.c_str());
        return 2;
      }
      continue;
    }
    auto* list = form.findChild<QListWidget*>(QString::fromStdString(step.list));
    QListWidgetItem* item = list != nullptr ? FindLine(list, step.line) : nullptr;
    if (item == nullptr) {
      std::fprintf(stderr, "ostrolen-screenshot: no line %s in %s\n", step.line.c_str(), step.list.c_str());
      return 2;
    }
    list->setCurrentItem(item);
    if (step.kind == "toggle") {
      if (!form.front()->controller().ActivateLine(step.list, list->row(item))) {
        std::fprintf(stderr, "ostrolen-screenshot: the line %s of %s changes nothing\n", step.line.c_str(),
                     step.list.c_str());
        return 2;
      }
      form.front()->Apply();
      form.WaitForReading();
    }
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
  form.about()->hide();

  // The table of many records, with a few records of the СКО page decoded.
  ostrolen::ui::Controller& controller = form.front()->controller();
  controller.OpenTable();
  form.front()->Apply();
  if (ostrolen::TableDialog* table = form.front()->Table()) {
    const auto& pages = ostrolen::ui::TablePages();
    for (std::size_t i = 0; i < pages.size(); ++i) {
      if (pages[i].command->name == "sko") controller.TableChoosePage(static_cast<int>(i));
    }
    form.front()->Apply();
    const QString records = QStringLiteral("2001\t271A6\n2002: 371A7\n2003\t27ZA6\n2004\t071A0\n");
    table->input()->setPlainText(records);
    table->Build(records.toUtf8());
    while (table->Building()) application.processEvents();
    application.processEvents();
    table->grab().save(dir + QStringLiteral("/table.png"));
  }
  return 0;
}
