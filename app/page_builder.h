// Builds the widgets of one page from its declaration.
#pragma once

#include <QFont>
#include <QString>
#include <functional>

#include "core/layout.h"

class QWidget;

namespace ostrolen {

class WidgetWindow;

// Fills `sheet` with the page's boxes, labels, lists and buttons and
// registers the boxes and lists with `window`; what they do is the front
// end's (app/front.h).
void BuildPage(const PageLayout& page, QWidget* sheet, WidgetWindow& window);

// Font substitutions for the pages' face; call once after the application starts.
void SetUpLook();

// The page font at a pixel size.
QFont PageFont(int pixel_size, bool bold);

}  // namespace ostrolen
