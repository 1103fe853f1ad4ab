#include "app/table_view.h"

#include <algorithm>

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelection>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <string>
#include <vector>

#include "app/front.h"
#include "app/page_builder.h"
#include "ui/controller.h"
#include "ui/table_view.h"

namespace ostrolen {
namespace {

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// How long a batch of records may keep the window from answering, and how
// long the work may go before its progress is shown.
constexpr qint64 kBatchMilliseconds = 40;
constexpr qint64 kProgressAfterMilliseconds = 500;

}  // namespace

TableRows::TableRows(ui::Controller& controller, QObject* parent)
    : QAbstractTableModel(parent), controller_(controller) {}

int TableRows::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int TableRows::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns_; }

QVariant TableRows::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
  const ui::TableState& state = controller_.TableNow();
  if (!state.table || static_cast<std::size_t>(index.row()) >= state.Shown()) return {};
  const std::size_t row = state.table->Shown()[static_cast<std::size_t>(index.row())];
  return FromUtf8(state.table->Cell(row, static_cast<std::size_t>(index.column())));
}

QVariant TableRows::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  const ui::TableState& state = controller_.TableNow();
  if (orientation == Qt::Vertical) return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
  if (!state.table || section < 0 || static_cast<std::size_t>(section) >= state.table->columns().size()) return {};
  return FromUtf8(state.table->columns()[static_cast<std::size_t>(section)].name);
}

void TableRows::Reset() {
  beginResetModel();
  const ui::TableState& state = controller_.TableNow();
  rows_ = static_cast<int>(state.Shown());
  columns_ = state.table ? static_cast<int>(state.table->columns().size()) : 0;
  endResetModel();
}

TableDialog::TableDialog(ui::Controller& controller, std::function<void()> apply, QWidget* parent)
    : QDialog(parent), controller_(controller), apply_(std::move(apply)) {
  namespace text = ui::table_text;
  setObjectName(QStringLiteral("TableView"));
  setWindowTitle(FromUtf8(text::kCaption));
  auto* layout = new QVBoxLayout(this);

  auto* top = new QHBoxLayout;
  auto* page_label = new QLabel(FromUtf8(text::kPage), this);
  pages_ = new QComboBox(this);
  pages_->setObjectName(QStringLiteral("TablePage"));
  for (const ui::TablePage& page : ui::TablePages()) pages_->addItem(FromUtf8(page.caption));
  page_label->setBuddy(pages_);
  auto* open = new QPushButton(FromUtf8(text::kOpenFile), this);
  open->setObjectName(QStringLiteral("TableOpenFile"));
  top->addWidget(page_label);
  top->addWidget(pages_, 1);
  top->addWidget(open);
  layout->addLayout(top);

  auto* input_label = new QLabel(FromUtf8(text::kInput), this);
  input_ = new QPlainTextEdit(this);
  input_->setObjectName(QStringLiteral("TableInput"));
  input_->setAccessibleName(FromUtf8(text::kInput));
  input_->setTabChangesFocus(true);
  input_->setLineWrapMode(QPlainTextEdit::NoWrap);
  input_->setMaximumHeight(110);
  input_label->setBuddy(input_);
  layout->addWidget(input_label);
  layout->addWidget(input_);

  auto* run = new QHBoxLayout;
  build_ = new QPushButton(FromUtf8(text::kBuild), this);
  build_->setObjectName(QStringLiteral("TableBuild"));
  stop_ = new QPushButton(FromUtf8(text::kStop), this);
  stop_->setObjectName(QStringLiteral("TableStop"));
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("TableProgress"));
  auto* filter_label = new QLabel(FromUtf8(text::kFilter), this);
  filter_ = new QLineEdit(this);
  filter_->setObjectName(QStringLiteral("TableFilter"));
  filter_->setToolTip(FromUtf8(text::kFilterTip));
  filter_->setClearButtonEnabled(true);
  filter_label->setBuddy(filter_);
  run->addWidget(build_);
  run->addWidget(stop_);
  run->addWidget(progress_, 1);
  run->addWidget(filter_label);
  run->addWidget(filter_, 2);
  layout->addLayout(run);

  rows_ = new TableRows(controller_, this);
  view_ = new QTableView(this);
  view_->setObjectName(QStringLiteral("TableRows"));
  view_->setAccessibleName(FromUtf8(text::kCaption));
  view_->setModel(rows_);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->setWordWrap(false);
  view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
  view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view_->horizontalHeader()->setSectionsClickable(true);
  view_->horizontalHeader()->setSortIndicatorShown(false);
  view_->horizontalHeader()->setDefaultSectionSize(Zoomed(150));
  view_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  view_->horizontalHeader()->setTextElideMode(Qt::ElideRight);
  view_->installEventFilter(this);
  view_->viewport()->installEventFilter(this);
  layout->addWidget(view_, 1);

  counts_ = new QLabel(this);
  counts_->setObjectName(QStringLiteral("TableCounts"));
  layout->addWidget(counts_);

  auto* bottom = new QHBoxLayout;
  open_row_ = new QPushButton(FromUtf8(text::kOpenRow), this);
  open_row_->setObjectName(QStringLiteral("TableOpenRow"));
  copy_ = new QPushButton(FromUtf8(text::kCopy), this);
  copy_->setObjectName(QStringLiteral("TableCopy"));
  bottom->addWidget(open_row_);
  bottom->addWidget(copy_);
  bottom->addStretch(1);
  for (const ui::TableFormatSpec& spec : ui::kTableFormats) {
    auto* button = new QPushButton(FromUtf8(spec.button), this);
    button->setObjectName(QStringLiteral("TableSave_") + FromUtf8(spec.name));
    const std::string name(spec.name);
    connect(button, &QPushButton::clicked, this, [this, name] {
      controller_.TableExport(name);
      apply_();
    });
    exports_.push_back(button);
    bottom->addWidget(button);
  }
  auto* close = new QPushButton(FromUtf8(text::kClose), this);
  close->setObjectName(QStringLiteral("TableClose"));
  bottom->addWidget(close);
  layout->addLayout(bottom);

  connect(pages_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (drawing_) return;
    controller_.TableChoosePage(index);
    apply_();
  });
  connect(open, &QPushButton::clicked, this, &TableDialog::OpenFile);
  connect(build_, &QPushButton::clicked, this, [this] { Build(input_->toPlainText().toUtf8()); });
  connect(stop_, &QPushButton::clicked, this, [this] {
    controller_.TableStop();
    apply_();
  });
  connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (drawing_) return;
    controller_.TableFilter(text.toStdString());
    apply_();
  });
  connect(view_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
    controller_.TableSort(column);
    apply_();
  });
  connect(open_row_, &QPushButton::clicked, this, [this] {
    controller_.TableOpenRow(controller_.TableNow().current);
    apply_();
  });
  connect(copy_, &QPushButton::clicked, this, [this] {
    controller_.TableCopy();
    apply_();
  });
  connect(close, &QPushButton::clicked, this, [this] {
    controller_.CloseTable();
    apply_();
  });
  // No button is the dialog's default: Enter belongs to the rows and the text.
  for (QPushButton* button : findChildren<QPushButton*>()) button->setAutoDefault(false);
  // The next batch, once the window has answered what came meanwhile.
  step_ = new QTimer(this);
  step_->setSingleShot(true);
  step_->setInterval(0);
  connect(step_, &QTimer::timeout, this, &TableDialog::Step);
  resize(Zoomed(780), Zoomed(520));
}

void TableDialog::Build(const QByteArray& bytes, const QString& source) {
  controller_.TableBuild(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                         source.toStdString());
  since_.start();
  building_ = controller_.TableNow().building;
  apply_();
  if (building_) {
    step_->start();
  } else {
    emit built();
  }
}

void TableDialog::Step() {
  if (!controller_.TableNow().building) {
    building_ = false;
    emit built();
    return;
  }
  QElapsedTimer batch;
  batch.start();
  bool more = true;
  while (more && !controller_.TableNow().reading && batch.elapsed() < kBatchMilliseconds) {
    more = controller_.TableStep(500);
  }
  stepping_ = true;
  apply_();
  stepping_ = false;
  // Waiting for the database: the answer draws the table, and that goes on.
  if (controller_.TableNow().reading) return;
  if (more) {
    step_->start();
  } else {
    building_ = false;
    emit built();
  }
}

void TableDialog::OpenFile() {
  const QString name = QFileDialog::getOpenFileName(this, FromUtf8(ui::table_text::kOpenFile));
  if (name.isEmpty()) return;
  QFile file(name);
  if (!file.open(QIODevice::ReadOnly)) {
    counts_->setText(QStringLiteral("Не удалось открыть ") + QFileInfo(name).fileName() + QStringLiteral(": ") +
                     file.errorString());
    return;
  }
  Build(file.readAll(), QFileInfo(name).fileName());
}

void TableDialog::Draw() {
  const ui::TableState& state = controller_.TableNow();
  // The database answered the records the table waited for: on to the next
  // (or to the end).
  if (building_ && !stepping_ && !state.reading && !step_->isActive()) step_->start();
  drawing_ = true;
  if (pages_->currentIndex() != state.page) pages_->setCurrentIndex(state.page);
  if (filter_->text().toStdString() != state.filter) filter_->setText(FromUtf8(state.filter));
  counts_->setText(FromUtf8(state.Counts()));
  build_->setEnabled(!state.building);
  stop_->setVisible(state.building);
  progress_->setVisible(state.building && since_.isValid() && since_.elapsed() >= kProgressAfterMilliseconds);
  progress_->setRange(0, static_cast<int>(state.total));
  progress_->setValue(static_cast<int>(state.done));
  const bool rows = state.table && !state.building && state.Shown() > 0;
  for (QPushButton* button : exports_) button->setEnabled(state.table && !state.building);
  copy_->setEnabled(rows);
  open_row_->setEnabled(rows);
  // While records are decoded, the rows are drawn now and then, not at every batch.
  static constexpr qint64 kRedrawMilliseconds = 250;
  if (!state.building || !redrawn_.isValid() || redrawn_.elapsed() >= kRedrawMilliseconds) {
    rows_->Reset();
    redrawn_.start();
    QHeaderView* header = view_->horizontalHeader();
    header->setSortIndicatorShown(state.sort_column.has_value());
    if (state.sort_column) {
      header->setSortIndicator(static_cast<int>(*state.sort_column),
                               state.descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    }
    DrawChoice();
  }
  drawing_ = false;
}

void TableDialog::DrawChoice() {
  const ui::TableState& state = controller_.TableNow();
  const bool was = drawing_;
  drawing_ = true;
  // The chosen rows, a run of them at a time.
  QItemSelection selection;
  const int columns = rows_->columnCount();
  for (std::size_t i = 0; i < state.chosen.size();) {
    if (!state.chosen[i]) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < state.chosen.size() && state.chosen[end]) ++end;
    selection.select(rows_->index(static_cast<int>(i), 0), rows_->index(static_cast<int>(end - 1), columns - 1));
    i = end;
  }
  view_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  if (state.current >= 0) {
    const QModelIndex current = rows_->index(state.current, std::max(view_->currentIndex().column(), 0));
    view_->selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    view_->scrollTo(current);
  } else {
    view_->selectionModel()->clearCurrentIndex();
  }
  drawing_ = was;
}

void TableDialog::keyPressEvent(QKeyEvent* event) {
  if (controller_.KeyInTable(KeyOf(event))) {
    apply_();
    return;
  }
  QDialog::keyPressEvent(event);
}

bool TableDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (controller_.KeyInTable(KeyOf(key))) {
      apply_();
      return true;
    }
    // The rows are chosen by the controller alone: no lookup by typing, no
    // space or arrow of the toolkit's own. Tab leads on.
    return key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab;
  }
  if (watched == view_->viewport()) {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) return true;
        const int row = view_->rowAt(mouse->position().toPoint().y());
        view_->setFocus(Qt::MouseFocusReason);
        if (event->type() == QEvent::MouseButtonDblClick) {
          controller_.TableOpenRow(row);
        } else {
          controller_.TableClick(row, (mouse->modifiers() & Qt::ShiftModifier) != 0,
                                 (mouse->modifiers() & Qt::ControlModifier) != 0);
        }
        apply_();
        return true;
      }
      case QEvent::MouseButtonRelease:
      case QEvent::MouseMove: return true;
      case QEvent::Resize: {
        const int row_height = std::max(view_->verticalHeader()->defaultSectionSize(), 1);
        controller_.TableRowsInView(std::max(view_->viewport()->height() / row_height - 1, 1));
        break;
      }
      default: break;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace ostrolen
