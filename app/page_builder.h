// Builds the widgets of one page from its declaration.
#pragma once

#include "core/shell.h"

#include <QFont>
#include <QRect>
#include <QSize>
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

// The style, the palette of `look` and the font substitutions for the
// pages' face: once after the application starts, and again when the look
// changes (the boxes and lists made meanwhile take it on).
void SetUpLook(shell::Look look = shell::Look::Light);
// The colours of the look the window shows.
const shell::LookColours& LookNow();

// The window's zoom, in per cent of its own size: sizes in pixels as the
// pages declare them, zoomed, and the window's whole size.
int ZoomNow();
int Zoomed(int pixels);
QRect Zoomed(QRect rect);
QSize ZoomedWindowSize();
// Lays out every page made so far under `window` again at `zoom` (the pages
// made later are made at it), with the toolkit's own texts zoomed alike.
void ZoomPages(int zoom, QWidget* window);

// The page font at a pixel size.
QFont PageFont(int pixel_size, bool bold);

}  // namespace ostrolen
