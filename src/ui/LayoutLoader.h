#pragma once

#include <QString>
#include <QWidget>

#include <functional>

struct WindowPack;

namespace ui {

// Dynamic properties the layouts carry.
inline constexpr char resourceIdProperty[] = "resourceid"; // language id of a control's texts
inline constexpr char skinImageProperty[] = "skinimage"; // image path inside the skin package
inline constexpr char layoutFileProperty[] = "_ostrelLayoutFile";

// Builds a control of one of our own classes named in a layout.
using ControlFactory = std::function<QWidget *(QWidget *parent)>;
void registerControlClass(const QString &className, ControlFactory factory);

// Where loaded layouts get their texts: the process's language manager.
class LanguagePacks
{
public:
    virtual ~LanguagePacks() = default;
    // The pack of a layout file in the current language; loaded once.
    virtual WindowPack openWindowPack(const QString &layoutFile) = 0;
};
void setLanguagePacks(LanguagePacks *packs);

// False for layout text the .ui loader must not see: not well-formed XML, or
// a <layout> element whose class is not one of the loader's layouts (the
// loader dereferences a null layout for a nested <layout class="">).
bool layoutTextIsLoadable(const QByteArray &xml);

// Builds the layout file of the skin package ("MainFrame.ui") as a widget
// with the given parent, its texts resolved from its pack. Null when the
// layout is missing, unreadable or refused by layoutTextIsLoadable.
QWidget *loadLayout(const QString &layoutFile, QWidget *parent = nullptr);

// Builds the layout inside an existing window, filling it edge to edge; the
// window takes the layout's size, title and minimum size.
bool loadLayoutInto(QWidget *window, const QString &layoutFile);

bool isLayoutRoot(const QWidget *widget);

// The layout roots directly inside window pass their events, the
// LanguageChange of reapplyWindowPacks among them, through listener's
// eventFilter: texts a window sets up itself follow the language there.
void listenToLayoutRoots(QWidget *window, QObject *listener);
QString layoutFileOf(const QWidget *widget);

// Resolves again the texts of every loaded layout in every window, after the
// language packs changed, then sends each layout's root a LanguageChange event.
void reapplyWindowPacks();

// A control of a window by its layout name, or null.
template <typename Control = QWidget> Control *findControl(const QWidget *window, const QString &name)
{
    if (!window || name.isEmpty())
        return nullptr;
    return window->findChild<Control *>(name);
}

} // namespace ui
