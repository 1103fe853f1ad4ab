#include "app/about.h"

#include <QLabel>

#include "app/page_builder.h"
#include "core/shell.h"

namespace {

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(FromUtf8(ostrolen::shell::kAboutCaption));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(ostrolen::shell::kAboutWidth, ostrolen::shell::kAboutHeight);
  setModal(true);
  auto* version = new QLabel(FromUtf8(ostrolen::shell::kAboutLine), this);
  version->setObjectName(QStringLiteral("Label1"));
  version->setFont(ostrolen::PageFont(ostrolen::shell::kAboutLinePixels, true));
  version->move(8, 8);
  version->adjustSize();
}
