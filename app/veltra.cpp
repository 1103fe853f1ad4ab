#include "app/veltra.h"

#include <QAction>
#include <QGuiApplication>
#include <QMap>
#include <QScreen>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/about.h"
#include "app/page_builder.h"
#include "app/pictures.h"
#include "pages/pages.h"

namespace {

using Click = void (TForm1::*)();

const QMap<QString, Click>& Clicks() {
  static const QMap<QString, Click> clicks = {
#define OSTROLEN_CLICK_ENTRY(n) {QStringLiteral("SpeedButton" #n), &TForm1::SpeedButton##n##Click},
      OSTROLEN_BUTTON_NUMBERS(OSTROLEN_CLICK_ENTRY)
#undef OSTROLEN_CLICK_ENTRY
  };
  return clicks;
}

}  // namespace

#define OSTROLEN_DEFINE_CLICK(n) \
  void TForm1::SpeedButton##n##Click() { ostrolen::Press(window_, "SpeedButton" #n); }
OSTROLEN_BUTTON_NUMBERS(OSTROLEN_DEFINE_CLICK)
#undef OSTROLEN_DEFINE_CLICK

TForm1::TForm1(QWidget* parent) : QMainWindow(parent), window_(this) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Ostrolen"));
  setWindowIcon(ostrolen::AppIcon());
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFont(ostrolen::PageFont(ostrolen::look::kPageFontPixels, false));

  auto* toolbar = new QToolBar(this);
  toolbar->setObjectName(QStringLiteral("ToolBar1"));
  toolbar->setMovable(false);
  toolbar->setFloatable(false);
  toolbar->setIconSize(QSize(16, 16));
  toolbar->setFixedHeight(29);
  toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
  addToolBar(Qt::TopToolBarArea, toolbar);

  auto* exit = new QAction(ostrolen::ExitIcon(), QStringLiteral("Выход"), this);
  exit->setObjectName(QStringLiteral("Action1"));
  connect(exit, &QAction::triggered, this, &TForm1::Action1Execute);
  auto* about = new QAction(ostrolen::AboutIcon(), QStringLiteral("О программе"), this);
  about->setObjectName(QStringLiteral("Action2"));
  connect(about, &QAction::triggered, this, &TForm1::Action2Execute);
  toolbar->addAction(exit);
  toolbar->addAction(about);

  setCentralWidget(BuildTabs(ostrolen::PageTree(), this));

  about_ = new TForm2(this);
  about_->hide();

  setFixedSize(799, 538);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

TForm1::~TForm1() = default;

QTabWidget* TForm1::BuildTabs(const ostrolen::TabNode& node, QWidget* parent) {
  auto* tabs = new QTabWidget(parent);
  tabs->setObjectName(QString::fromStdString(node.control));
  tabs->setDocumentMode(false);
  for (const ostrolen::TabNode& child : node.children) {
    auto* sheet = new QWidget(tabs);
    sheet->setObjectName(QString::fromStdString(child.sheet));
    if (child.page != nullptr) {
      ostrolen::BuildPage(*child.page, sheet, window_, [this](const QString& name) { ButtonClicked(name); });
    } else {
      // A nested tab set fills its sheet.
      auto* layout = new QVBoxLayout(sheet);
      layout->setContentsMargins(0, 0, 0, 0);
      layout->addWidget(BuildTabs(child, sheet));
    }
    tabs->addTab(sheet, QString::fromStdString(child.caption));
  }
  tabs->setCurrentIndex(node.initial);
  return tabs;
}

void TForm1::ButtonClicked(const QString& name) {
  const auto it = Clicks().constFind(name);
  if (it != Clicks().constEnd()) (this->*it.value())();
}

void TForm1::Action1Execute() { close(); }

void TForm1::Action2Execute() { about_->exec(); }
