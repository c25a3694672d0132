#include "ui/LayoutLoader.h"

#include "ui/ControlText.h"
#include "ui/LanguagePack.h"
#include "ui/SkinImage.h"
#include "ui/SkinPackage.h"
#include "ui/TabButton.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QHash>
#include <QLabel>
#include <QUiLoader>
#include <QVBoxLayout>
#include <QXmlStreamReader>

namespace ui {
namespace {

QHash<QString, ControlFactory> &controlClasses()
{
    static QHash<QString, ControlFactory> classes {
        { QStringLiteral("TabButton"), [](QWidget *parent) { return new TabButton(parent); } },
    };
    return classes;
}

LanguagePacks *g_languagePacks = nullptr;

class SkinUiLoader : public QUiLoader
{
public:
    QWidget *createWidget(const QString &className, QWidget *parent, const QString &name) override
    {
        const auto factory = controlClasses().constFind(className);
        if (factory == controlClasses().constEnd())
            return QUiLoader::createWidget(className, parent, name);
        QWidget *widget = (*factory)(parent);
        if (widget)
            widget->setObjectName(name);
        return widget;
    }
};

void showSkinImages(QWidget *root)
{
    const QList<QWidget *> controls = root->findChildren<QWidget *>();
    for (QWidget *control : controls) {
        const QString path = control->property(skinImageProperty).toString();
        if (path.isEmpty())
            continue;
        if (auto *label = qobject_cast<QLabel *>(control))
            label->setPixmap(skinPixmap(path, label->minimumSize().isEmpty() ? label->size() : label->minimumSize(),
                label->devicePixelRatioF()));
        else if (auto *button = qobject_cast<QAbstractButton *>(control))
            button->setIcon(skinIcon(path));
    }
}

void applyCurrentPack(QWidget *root)
{
    if (g_languagePacks)
        applyWindowPack(root, g_languagePacks->openWindowPack(layoutFileOf(root)));
}

} // namespace

void registerControlClass(const QString &className, ControlFactory factory)
{
    controlClasses().insert(className, std::move(factory));
}

void setLanguagePacks(LanguagePacks *packs)
{
    g_languagePacks = packs;
}

bool layoutTextIsLoadable(const QByteArray &xml)
{
    static const QStringList layoutClasses = QUiLoader().availableLayouts();
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == QLatin1String("layout")
            && !layoutClasses.contains(reader.attributes().value(QLatin1String("class")).toString()))
            return false;
    }
    return !reader.hasError();
}

QWidget *loadLayout(const QString &layoutFile, QWidget *parent)
{
    QByteArray xml = SkinPackage::embedded().read(layoutFile);
    if (xml.isEmpty() || !layoutTextIsLoadable(xml))
        return nullptr;
    QBuffer buffer(&xml);
    buffer.open(QIODevice::ReadOnly);
    SkinUiLoader loader;
    QWidget *root = loader.load(&buffer, parent);
    if (!root)
        return nullptr;
    root->setProperty(layoutFileProperty, layoutFile);
    showSkinImages(root);
    rememberLayoutTexts(root);
    applyCurrentPack(root);
    return root;
}

bool loadLayoutInto(QWidget *window, const QString &layoutFile)
{
    QWidget *content = loadLayout(layoutFile, window);
    if (!content)
        return false;
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(content);
    window->setMinimumSize(content->minimumSize());
    window->resize(content->size());
    if (!content->windowTitle().isEmpty())
        window->setWindowTitle(content->windowTitle());
    return true;
}

bool isLayoutRoot(const QWidget *widget)
{
    return widget && widget->property(layoutFileProperty).isValid();
}

void listenToLayoutRoots(QWidget *window, QObject *listener)
{
    for (QWidget *child : window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (isLayoutRoot(child))
            child->installEventFilter(listener);
    }
}

QString layoutFileOf(const QWidget *widget)
{
    return widget ? widget->property(layoutFileProperty).toString() : QString();
}

void reapplyWindowPacks()
{
    const QList<QWidget *> widgets = QApplication::allWidgets();
    for (QWidget *widget : widgets) {
        if (!isLayoutRoot(widget))
            continue;
        applyCurrentPack(widget);
        // Texts a window sets up itself (grid headings) follow on this event.
        QEvent changed(QEvent::LanguageChange);
        QCoreApplication::sendEvent(widget, &changed);
    }
}

} // namespace ui
