// The table of many records in the window: a dialog drawn from the
// controller's table (the page chooser, the records typed, pasted or opened
// from a file, the rows with their headings, the filter, the counts and the
// progress). Its events go to the controller; nothing here decides a rule.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <QElapsedTimer>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;

namespace ostrolen {

namespace ui {
class Controller;
}

// The shown rows of the controller's table, as a view draws them.
class TableRows : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit TableRows(ui::Controller& controller, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // The controller's table changed: rows, columns or order.
  void Reset();

 private:
  ui::Controller& controller_;
  int rows_ = 0;
  int columns_ = 0;
};

class TableDialog : public QDialog {
  Q_OBJECT

 public:
  // `apply` carries out the controller's effects.
  TableDialog(ui::Controller& controller, std::function<void()> apply, QWidget* parent);

  // Draws the controller's table as it now stands.
  void Draw();
  // Draws its chosen rows and its current row.
  void DrawChoice();
  QTableView* view() const { return view_; }
  QPlainTextEdit* input() const { return input_; }
  QLineEdit* filter() const { return filter_; }
  // Decodes what the input holds (or `bytes` of a file named `source`),
  // a batch at a time, the window answering between batches.
  void Build(const QByteArray& bytes, const QString& source = {});
  bool Building() const { return building_; }

 signals:
  // The records given are all decoded (or the operator stopped it).
  void built();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Step();
  void OpenFile();

  ui::Controller& controller_;
  std::function<void()> apply_;
  TableRows* rows_;
  QComboBox* pages_;
  QPlainTextEdit* input_;
  QPushButton* build_;
  QPushButton* stop_;
  QLineEdit* filter_;
  QTableView* view_;
  QLabel* counts_;
  QProgressBar* progress_;
  std::vector<QPushButton*> exports_;
  QPushButton* copy_;
  QPushButton* open_row_;
  QTimer* step_ = nullptr;
  QElapsedTimer since_;
  QElapsedTimer redrawn_;
  bool building_ = false;
  bool stepping_ = false;  // drawing what a step of its own did
  bool drawing_ = false;
};

}  // namespace ostrolen
