#include "app/about.h"

#include <QLabel>

#include "app/page_builder.h"

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("О программе"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(333, 158);
  setModal(true);
  auto* version = new QLabel(QStringLiteral("Ostrolen v.1.0.3"), this);
  version->setObjectName(QStringLiteral("Label1"));
  version->setFont(ostrolen::PageFont(16, true));
  version->move(8, 8);
  version->adjustSize();
}
