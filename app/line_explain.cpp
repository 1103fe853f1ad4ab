#include "app/line_explain.h"

#include <QAbstractItemModel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <algorithm>
#include <cstdlib>

namespace ostrolen {
namespace {

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::uint16_t PositionMask(const PositionFormat& position) {
  const unsigned ones = (1U << static_cast<unsigned>(position.width)) - 1U;
  return static_cast<std::uint16_t>(ones << static_cast<unsigned>(16 - position.last_bit()));
}

// A label that can title a row: more than one character, and not a number
// (the limits "0" and "15" beside a box are not its title).
bool IsTitle(const LabelSpec& label) {
  const QString text = QString::fromUtf8(label.text.c_str()).trimmed();
  return text.size() >= 2 && !std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

bool OnLine(const LabelSpec& label, const BoxSpec& box) {
  return label.y <= box.y + box.height && label.y + label.pixel_size + 4 >= box.y;
}

// The one-character label standing right above a box (a position's largest
// digit, a bit's weight); empty when there is none.
QString LabelAbove(const PageLayout& page, const BoxSpec& box) {
  for (const LabelSpec& label : page.labels) {
    if (IsTitle(label) || label.y >= box.y || box.y - label.y > 30) continue;
    const int left = label.x;
    const int right = label.x + std::max(label.width, label.pixel_size);
    if (right > box.x && left < box.x + box.width) return FromUtf8(label.text).trimmed();
  }
  return {};
}

// A row of boxes: those on one line that one button reads.
struct Row {
  std::vector<const BoxSpec*> boxes;
  QString title;
  bool code_word = false;  // the maxima of a code word's positions stand above it
};

// The title of a row: the titles on its line left of its last box, else the
// nearest title above its first box, else the page's caption.
QString RowTitle(const PageLayout& page, const Row& row) {
  const BoxSpec& first = *row.boxes.front();
  const BoxSpec& last = *row.boxes.back();
  std::vector<const LabelSpec*> titles;
  for (const LabelSpec& label : page.labels) {
    if (IsTitle(label) && label.x < last.x && OnLine(label, first)) titles.push_back(&label);
  }
  std::sort(titles.begin(), titles.end(), [](const LabelSpec* a, const LabelSpec* b) { return a->x < b->x; });
  QStringList parts;
  for (const LabelSpec* label : titles) parts << FromUtf8(label->text).trimmed();
  if (!parts.isEmpty()) return parts.join(QLatin1Char(' '));
  const LabelSpec* best = nullptr;
  const auto distance = [&first](const LabelSpec& l) { return std::pair(first.y - l.y, std::abs(l.x - first.x)); };
  for (const LabelSpec& label : page.labels) {
    if (!IsTitle(label) || label.y >= first.y || first.y - label.y > 40 || std::abs(label.x - first.x) > 120) continue;
    if (best == nullptr || distance(label) < distance(*best)) best = &label;
  }
  if (best != nullptr) return FromUtf8(best->text).trimmed();
  if (row.code_word) return QStringLiteral("Кодовое слово");
  return FromUtf8(page.caption);
}

std::vector<Row> Rows(const PageLayout& page, const QHash<QString, QString>& named) {
  std::vector<Row> rows;
  for (const BoxSpec& box : page.boxes) {
    if (named.contains(FromUtf8(box.name))) continue;
    const auto same = [&box](const Row& row) {
      return row.boxes.front()->y == box.y && row.boxes.front()->enter_button == box.enter_button;
    };
    auto it = std::find_if(rows.begin(), rows.end(), same);
    if (it == rows.end()) it = rows.insert(rows.end(), Row{});
    it->boxes.push_back(&box);
  }
  const std::vector<std::string> maxima = MaxDigitLabels();
  for (Row& row : rows) {
    QStringList above;
    for (const BoxSpec* box : row.boxes) above << LabelAbove(page, *box);
    QStringList expected;
    for (const std::string& max : maxima) expected << FromUtf8(max);
    row.code_word = above == expected;
    row.title = RowTitle(page, row);
  }
  return rows;
}

QString ButtonName(const PageLayout& page, const ButtonSpec& button, int disc) {
  if (!button.caption.empty()) return FromUtf8(button.caption);
  switch (button.picture) {
    case Picture::ArrowRight: return QStringLiteral("Декодировать: %1").arg(FromUtf8(page.caption));
    case Picture::ArrowDown: return QStringLiteral("Преобразовать вниз");
    case Picture::ArrowUp: return QStringLiteral("Преобразовать вверх");
    case Picture::Disc: return QStringLiteral("Проверить строку %1").arg(disc);
    default: return FromUtf8(button.name);
  }
}

}  // namespace

QColor ExplainColour() { return {0xFF, 0xE3, 0x8C}; }

std::vector<WordKind> WordKinds(const PageLayout& page) {
  std::vector<WordKind> kinds;
  kinds.reserve(page.words.size());
  for (const WordSpec& word : page.words) kinds.push_back(word.kind);
  return kinds;
}

std::optional<LineOrigin> OriginOf(const QListWidgetItem* item) {
  if (item == nullptr) return std::nullopt;
  const QVariant data = item->data(kLineOriginRole);
  if (!data.canConvert<LineOrigin>()) return std::nullopt;
  return data.value<LineOrigin>();
}

void SetLineOrigin(QListWidgetItem* item, const LineOrigin& origin, const std::vector<WordKind>& kinds) {
  item->setData(kLineOriginRole, QVariant::fromValue(origin));
  if (!origin.empty()) item->setToolTip(FromUtf8(SourceDescription(origin, kinds)));
}

std::vector<std::string> BoxesOfOrigin(const PageLayout& page, const LineOrigin& origin) {
  std::vector<std::string> boxes;
  for (std::size_t w = 0; w < page.words.size() && w < kMaxWords; ++w) {
    const WordSpec& word = page.words[w];
    const std::uint16_t mask = origin.mask[w];
    if (mask == 0) continue;
    if (!word.bit_rows.empty()) {
      for (const auto& row : word.bit_rows) {
        for (const auto& [first, last] : BitRuns(mask)) {
          for (int bit = first; bit <= last && static_cast<std::size_t>(bit) <= row.size(); ++bit) {
            boxes.push_back(row[static_cast<std::size_t>(bit - 1)]);
          }
        }
      }
      continue;
    }
    const auto positions = Positions(word.kind);
    for (std::size_t p = 0; p < positions.size() && p < word.positions.size(); ++p) {
      if ((mask & PositionMask(positions[p])) != 0) boxes.push_back(word.positions[p]);
    }
  }
  return boxes;
}

QHash<QString, QString> AccessibleNames(const PageLayout& page) {
  QHash<QString, QString> names;
  for (std::size_t w = 0; w < page.words.size(); ++w) {
    const WordSpec& word = page.words[w];
    const auto positions = Positions(word.kind);
    for (std::size_t p = 0; p < word.positions.size() && p < positions.size(); ++p) {
      names.insert(FromUtf8(word.positions[p]),
                   QStringLiteral("Слово %1, позиция %2 (до %3)")
                       .arg(w)
                       .arg(p + 1)
                       .arg(QString::fromLatin1(positions[p].max_digit.data(), positions[p].max_digit.size())));
    }
    // The mask row above the check row; a page with one row shows only the check.
    for (std::size_t r = 0; r < word.bit_rows.size(); ++r) {
      const bool check = r + 1 == word.bit_rows.size();
      const QString row = check ? QStringLiteral("Проверка") : QStringLiteral("Маска");
      for (std::size_t b = 0; b < word.bit_rows[r].size(); ++b) {
        names.insert(FromUtf8(word.bit_rows[r][b]), QStringLiteral("%1, слово %2, бит %3").arg(row).arg(w).arg(b + 1));
      }
    }
  }
  // Every other box by its row's title and its place in the row; a code
  // word's by position, a bit's with the weight shown above it.
  for (const Row& row : Rows(page, names)) {
    for (std::size_t k = 0; k < row.boxes.size(); ++k) {
      const BoxSpec& box = *row.boxes[k];
      const QString above = LabelAbove(page, box);
      QString name = row.title;
      if (row.code_word) {
        name += QStringLiteral(", позиция %1 (до %2)").arg(k + 1).arg(above);
      } else {
        if (row.boxes.size() > 1) name += QStringLiteral(", знак %1").arg(k + 1);
        if (!above.isEmpty()) name += QStringLiteral(" (разряд %1)").arg(above);
      }
      names.insert(FromUtf8(box.name), name);
    }
  }
  for (const ListSpec& list : page.lists) {
    names.insert(FromUtf8(list.name), QStringLiteral("Результат: %1").arg(FromUtf8(page.caption)));
  }
  int disc = 0;
  for (const ButtonSpec& button : page.buttons) {
    if (button.picture == Picture::Disc) ++disc;
    names.insert(FromUtf8(button.name), ButtonName(page, button, disc));
  }
  return names;
}

LineExplainer::LineExplainer(const PageLayout& page, QListWidget* list, QWidget* sheet)
    : QObject(list), page_(page), list_(list), sheet_(sheet) {
  // The selected line in the colour of the boxes it comes from.
  QPalette palette = list->palette();
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, QPalette::Highlight, ExplainColour());
    palette.setColor(group, QPalette::HighlightedText, Qt::black);
  }
  list->setPalette(palette);
  connect(list, &QListWidget::itemSelectionChanged, this, &LineExplainer::Explain);
  // A cleared list has no selection; the list may be on its way out, so
  // only the boxes are touched.
  connect(list->model(), &QAbstractItemModel::modelReset, this, &LineExplainer::Clear);
  const auto forget = [this] {
    list_->clearSelection();
    Clear();
  };
  for (const BoxSpec& spec : page.boxes) {
    if (auto* box = sheet->findChild<QLineEdit*>(FromUtf8(spec.name)))
      connect(box, &QLineEdit::textChanged, this, forget);
  }
  for (const ButtonSpec& spec : page.buttons) {
    if (auto* button = sheet->findChild<QToolButton*>(FromUtf8(spec.name))) {
      connect(button, &QToolButton::pressed, this, forget);
    }
  }
}

QStringList LineExplainer::Highlighted() const {
  QStringList names;
  for (const auto& [box, palette] : lit_) {
    if (box) names << box->objectName();
  }
  return names;
}

void LineExplainer::Clear() {
  for (const auto& [box, palette] : lit_) {
    if (box) box->setPalette(palette);
  }
  lit_.clear();
}

void LineExplainer::Explain() {
  Clear();
  const QList<QListWidgetItem*> selected = list_->selectedItems();
  if (selected.size() != 1) return;
  const std::optional<LineOrigin> origin = OriginOf(selected.front());
  if (!origin || origin->empty()) return;
  for (const std::string& name : BoxesOfOrigin(page_, *origin)) {
    auto* box = sheet_->findChild<QLineEdit*>(FromUtf8(name));
    if (box == nullptr || Highlighted().contains(box->objectName())) continue;
    lit_.emplace_back(box, box->palette());
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, ExplainColour());
    box->setPalette(palette);
  }
}

void DescribePage(const PageLayout& page, QWidget* sheet) {
  const QHash<QString, QString> names = AccessibleNames(page);
  for (auto it = names.constBegin(); it != names.constEnd(); ++it) {
    if (auto* widget = sheet->findChild<QWidget*>(it.key())) widget->setAccessibleName(it.value());
  }
  // Tab runs as typing does: the boxes in input order, then the buttons they
  // press, then the result list.
  std::vector<QWidget*> order;
  for (const BoxSpec& box : page.boxes) {
    auto* widget = sheet->findChild<QWidget*>(FromUtf8(box.name));
    if (widget != nullptr && (widget->focusPolicy() & Qt::TabFocus) != 0) order.push_back(widget);
  }
  for (const ButtonSpec& button : page.buttons) {
    if (auto* widget = sheet->findChild<QWidget*>(FromUtf8(button.name))) order.push_back(widget);
  }
  for (const ListSpec& list : page.lists) {
    if (auto* widget = sheet->findChild<QWidget*>(FromUtf8(list.name))) order.push_back(widget);
  }
  for (std::size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

}  // namespace ostrolen
