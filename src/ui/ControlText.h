#pragma once

#include <QString>

class QComboBox;
class QWidget;
struct WindowPack;

namespace ui {

// The text a control shows: a label's or button's caption, an edit's content,
// a group's title, a top-level window's title. False when the control has none.
bool setControlText(QWidget *control, const QString &text);
QString controlText(const QWidget *control);

// The grey hint of an empty edit or drop-down list.
bool setControlHint(QWidget *control, const QString &hint);
QString controlHint(const QWidget *control);

// The value (item data) of a drop-down list's selected entry; 0 when no entry
// is selected.
int selectedItemValue(const QComboBox *selector);

// Remembers the texts the layout gave every control with a resource id in
// the layout rooted at root, so that a later pack can fall back to them.
void rememberLayoutTexts(QWidget *root);

// Shows, for every control of root's layout with a resource id above 0, the
// pack's non-empty entry of each kind, otherwise the layout's own. Controls
// inside a nested layout (a page of another layout file) are left alone.
void applyWindowPack(QWidget *root, const WindowPack &pack);

} // namespace ui
