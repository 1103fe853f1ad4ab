#include "app/veltra.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/about.h"
#include "app/desk_view.h"
#include "app/desktop_look.h"
#include "app/front.h"
#include "app/page_builder.h"
#include "app/page_tabs.h"
#include "app/pictures.h"
#include "app/search_box.h"
#include "app/session_view.h"
#include "core/shell.h"
#include "pages/pages.h"
#include "pages/segments/segments.h"
#include "reader/database.h"

namespace {

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

TForm1::TForm1(QWidget* parent, PageBuilding building) : QMainWindow(parent), window_(this), building_(building) {
  window_.SetMissingControlHook([this](std::string_view name) { BuildPageOf(name); });
  idle_ = new QTimer(this);
  idle_->setSingleShot(true);
  idle_->setInterval(0);
  connect(idle_, &QTimer::timeout, this, &TForm1::BuildNextPage);
  connect(this, &TForm1::readingProgressed, this, &TForm1::ShowReading, Qt::QueuedConnection);
  connect(this, &TForm1::readingEnded, this, &TForm1::FinishReading, Qt::QueuedConnection);
  setObjectName(QStringLiteral("Form1"));
  ostrolen::DescribeTabBars();
  setWindowTitle(FromUtf8(ostrolen::shell::kWindowCaption));
  setWindowIcon(ostrolen::AppIcon());
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFont(ostrolen::PageFont(ostrolen::shell::kPageFontPixels, false));

  auto* toolbar = new QToolBar(this);
  toolbar->setObjectName(QStringLiteral("ToolBar1"));
  toolbar->setMovable(false);
  toolbar->setFloatable(false);
  toolbar->setIconSize(QSize(ostrolen::shell::kToolbarIconPixels, ostrolen::shell::kToolbarIconPixels));
  toolbar->setFixedHeight(ostrolen::shell::kToolbarHeight);
  toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
  addToolBar(Qt::TopToolBarArea, toolbar);

  auto* exit = new QAction(ostrolen::ExitIcon(), FromUtf8(ostrolen::shell::kExitCommand), this);
  exit->setObjectName(QStringLiteral("Action1"));
  connect(exit, &QAction::triggered, this, &TForm1::Action1Execute);
  // The toolbar is outside the Tab order: its commands have keys of their own.
  exit->setShortcut(QKeySequence(FromUtf8(ostrolen::shell::kExitKeys)));
  auto* about = new QAction(ostrolen::AboutIcon(), FromUtf8(ostrolen::shell::kAboutCommand), this);
  about->setObjectName(QStringLiteral("Action2"));
  connect(about, &QAction::triggered, this, &TForm1::Action2Execute);
  about->setShortcut(QKeySequence(FromUtf8(ostrolen::shell::kAboutKeys)));
  toolbar->addAction(exit);
  toolbar->addAction(about);
  front_ = new ostrolen::Front(this, window_);
  front_->read = [this](const std::string& button, std::vector<ostrolen::Statement> statements) {
    ReadThenPress(QString::fromStdString(button), std::move(statements));
  };
  // The look shown: the operator's, or the desktop's where it tells it.
  front_->desk_drawers.emplace_back([this](const ostrolen::ui::Desk& desk) {
    if (&ostrolen::LookNow() == &ostrolen::shell::ColoursOf(desk.Shown())) return;
    ostrolen::SetUpLook(desk.Shown());
    front_->RedrawLists();
  });
  // The zoom: the pages, the toolbar and the window laid out again at it.
  front_->desk_drawers.emplace_back([this, toolbar](const ostrolen::ui::Desk& desk) {
    if (desk.zoom == ostrolen::ZoomNow()) return;
    ostrolen::ZoomPages(desk.zoom, this);
    setFont(ostrolen::PageFont(ostrolen::Zoomed(ostrolen::shell::kPageFontPixels), false));
    const int icon = ostrolen::Zoomed(ostrolen::shell::kToolbarIconPixels);
    toolbar->setIconSize(QSize(icon, icon));
    toolbar->setFixedHeight(ostrolen::Zoomed(ostrolen::shell::kToolbarHeight));
    search_->SetZoom();
    setFixedSize(ostrolen::ZoomedWindowSize());
    // The lit boxes' frames where the boxes now are.
    front_->RedrawLists();
  });
  new ostrolen::DesktopLook(
      [this](std::optional<ostrolen::shell::Look> look) {
        front_->controller().DesktopLook(look);
        front_->Apply();
      },
      this);
  session_ = new ostrolen::SessionView(this, *front_, toolbar);
  front_->save_report = [this] { session_->SaveHistory(); };
  desk_ = new ostrolen::DeskView(this, *front_, toolbar);
  search_ = new ostrolen::SearchBox(this, toolbar, *front_);

  setCentralWidget(BuildTabs(ostrolen::PageTree(), this));

  about_ = new TForm2(this);
  about_->hide();

  setFixedSize(ostrolen::ZoomedWindowSize());
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

TForm1::~TForm1() {
  if (busy_) ostrolen::ReferenceDatabase().Cancel();
  if (reading_.joinable()) reading_.join();
  ostrolen::ReferenceDatabase().SetProgress({});
}

QTabWidget* TForm1::BuildTabs(const ostrolen::TabNode& node, QWidget* parent) {
  auto* tabs = new QTabWidget(parent);
  tabs->setObjectName(QString::fromStdString(node.control));
  tabs->setDocumentMode(false);
  for (const ostrolen::TabNode& child : node.children) {
    auto* sheet = new QWidget(tabs);
    sheet->setObjectName(QString::fromStdString(child.sheet));
    if (child.page != nullptr) {
      unbuilt_.insert(sheet, child.page);
      if (building_ == PageBuilding::AtStart) BuildSheet(sheet);
    } else {
      // A nested tab set fills its sheet.
      auto* layout = new QVBoxLayout(sheet);
      layout->setContentsMargins(0, 0, 0, 0);
      layout->addWidget(BuildTabs(child, sheet));
    }
    tabs->addTab(sheet, QString::fromStdString(child.caption));
    // A screen reader names the sheet after its tab, not after its first box.
    sheet->setAccessibleName(QString::fromStdString(child.caption));
  }
  tabs->setCurrentIndex(node.initial);
  // A page is made at the latest when its tab is chosen.
  connect(tabs, &QTabWidget::currentChanged, this, [this, tabs](int index) { BuildSheet(tabs->widget(index)); });
  front_->AttachTabs(tabs);
  return tabs;
}

void TForm1::BuildSheet(QWidget* sheet) {
  const auto it = unbuilt_.constFind(sheet);
  if (it == unbuilt_.constEnd()) return;
  const ostrolen::PageLayout* page = it.value();
  unbuilt_.erase(it);
  ostrolen::BuildPage(*page, sheet, window_);
  for (QWidget* child : sheet->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) child->show();
  front_->AttachPage(*page, sheet);
}

void TForm1::BuildPageOf(std::string_view control) {
  for (auto it = unbuilt_.constBegin(); it != unbuilt_.constEnd(); ++it) {
    const ostrolen::PageLayout& page = *it.value();
    const bool declares = std::any_of(page.boxes.begin(), page.boxes.end(),
                                      [&](const ostrolen::BoxSpec& box) { return box.name == control; }) ||
                          std::any_of(page.lists.begin(), page.lists.end(),
                                      [&](const ostrolen::ListSpec& list) { return list.name == control; });
    if (declares) return BuildSheet(it.key());
  }
}

void TForm1::BuildNextPage() {
  if (unbuilt_.isEmpty()) return;
  BuildSheet(unbuilt_.constBegin().key());
  idle_->start();
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // The largest zoom whose window the screen holds (with room for the frame):
  // the controller keeps to the steps within it.
  if (const QScreen* shown_on = screen()) {
    const QSize room = shown_on->availableGeometry().size() - QSize(16, 48);
    front_->controller().LargestZoom(std::min(room.width() * 100 / ostrolen::shell::kWindowWidth,
                                              room.height() * 100 / ostrolen::shell::kWindowHeight));
    front_->Apply();
  }
  // The pages on the chosen tabs first, the others once the window is up.
  for (QTabWidget* tabs : findChildren<QTabWidget*>()) {
    if (tabs->currentWidget() != nullptr && tabs->currentWidget()->isVisibleTo(this)) BuildSheet(tabs->currentWidget());
  }
  if (!unbuilt_.isEmpty()) idle_->start();
  front_->DrawFocus();
}

void TForm1::ButtonClicked(const QString& name) {
  front_->controller().Press(name.toStdString());
  front_->Apply();
}

void TForm1::ReadThenPress(const QString& name, std::vector<ostrolen::Statement> statements) {
  busy_ = true;
  qApp->installEventFilter(this);
  reading_button_ = name;
  reading_asked_ = std::move(statements);
  reading_read_.clear();
  ostrolen::Connection& database = ostrolen::ReferenceDatabase();
  database.ClearCancel();
  database.SetProgress([this](int percent) { emit readingProgressed(percent); });
  reading_ = std::thread([this] {
    reading_read_ = ostrolen::ReferenceDatabase().Run(reading_asked_);
    emit readingEnded();
  });
}

void TForm1::FinishReading() {
  if (!busy_) return;
  EndReading();
  front_->controller().ReadingAnswered(std::move(reading_read_));
  front_->Apply();
}

void TForm1::ShowReading(int percent) {
  if (!busy_) return;
  auto* button = findChild<QToolButton*>(reading_button_);
  if (button == nullptr || button->parentWidget() == nullptr) return;
  if (progress_ == nullptr || progress_->parentWidget() != button->parentWidget()) {
    delete progress_;
    progress_ = new QLabel(button->parentWidget());
    progress_->setObjectName(QStringLiteral("ReadingProgress"));
  }
  QString text = FromUtf8(ostrolen::shell::kReadingDatabase);
  if (percent >= 0) text += QStringLiteral(" %1 %").arg(percent);
  progress_->setText(text);
  progress_->adjustSize();
  progress_->move(button->geometry().left(), button->geometry().bottom() + 4);
  progress_->show();
  progress_->raise();
}

void TForm1::EndReading() {
  if (reading_.joinable()) reading_.join();
  ostrolen::ReferenceDatabase().ClearCancel();
  busy_ = false;
  qApp->removeEventFilter(this);
  ostrolen::ReferenceDatabase().SetProgress({});
  if (progress_ != nullptr) progress_->hide();
}

void TForm1::WaitForReading() {
  while (busy_) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (busy_ && event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    ostrolen::ReferenceDatabase().Cancel();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (busy_) {
    ostrolen::ReferenceDatabase().Cancel();
    EndReading();
  }
  QMainWindow::closeEvent(event);
}

void TForm1::Action1Execute() { close(); }

void TForm1::Action2Execute() { about_->exec(); }
