// Builds the widgets of one page from its declaration.
#pragma once

#include <QFont>
#include <QString>
#include <functional>

#include "core/layout.h"

class QWidget;

namespace ostrolen {

class WidgetWindow;

// Fills `sheet` with the page's boxes, labels, lists and buttons, registers
// the boxes and lists with `window`, and calls `on_click` with a button's
// name when it is clicked.
void BuildPage(const PageLayout& page, QWidget* sheet, WidgetWindow& window,
               const std::function<void(const QString&)>& on_click);

// Font substitutions for the pages' face; call once after the application starts.
void SetUpLook();

// The page font at a pixel size.
QFont PageFont(int pixel_size, bool bold);

}  // namespace ostrolen
