#include "ui/WindowChrome.h"

#include "ui/LayoutLoader.h"
#include "ui/RequiredControls.h"

#include <QAbstractButton>
#include <QEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QPainterPath>
#include <QRegion>
#include <QToolButton>
#include <QWindow>

namespace ui {
namespace {

constexpr int resizeBorder = 4;
constexpr qreal cornerRadius = 5;

QRegion roundedRegion(const QRect &rect)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(rect), cornerRadius, cornerRadius);
    return QRegion(path.toFillPolygon().toPolygon());
}

class ChromeFilter : public QObject
{
public:
    ChromeFilter(QWidget *window, QWidget *header, bool resizable)
        : QObject(window)
        , m_window(window)
        , m_header(header)
        , m_resizable(resizable)
    { }

    void updateMaximizeButtons()
    {
        const bool maximized = m_window->isMaximized();
        if (auto *maximize = findControl<QAbstractButton>(m_window, QStringLiteral("windowmaxbtn")))
            maximize->setVisible(!maximized);
        if (auto *restore = findControl<QAbstractButton>(m_window, QStringLiteral("windowrestorebtn")))
            restore->setVisible(maximized);
        if (m_resizable && m_window->layout()) {
            const int border = maximized ? 0 : resizeBorder;
            m_window->layout()->setContentsMargins(border, border, border, border);
        }
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_header)
            return headerEvent(event);
        if (watched == m_window)
            windowEvent(event);
        return false;
    }

private:
    bool headerEvent(QEvent *event)
    {
        if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
            return false;
        // Only now a mouse event: the header also sees child and paint events.
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton
            && m_window->windowHandle()) {
            m_window->windowHandle()->startSystemMove();
            return true;
        }
        if (event->type() == QEvent::MouseButtonDblClick && mouse->button() == Qt::LeftButton && m_resizable) {
            m_window->isMaximized() ? m_window->showNormal() : m_window->showMaximized();
            return true;
        }
        return false;
    }

    void windowEvent(QEvent *event)
    {
        if (event->type() == QEvent::WindowStateChange) {
            updateMaximizeButtons();
            return;
        }
        if (event->type() == QEvent::Resize && m_resizable) {
            const bool square = m_window->isMaximized() || m_window->isFullScreen();
            square ? m_window->clearMask() : m_window->setMask(roundedRegion(m_window->rect()));
            return;
        }
        if (!m_resizable || m_window->isMaximized())
            return;
        if (event->type() == QEvent::MouseMove) {
            m_window->setCursor(cursorFor(edgesAt(static_cast<QMouseEvent *>(event)->position().toPoint())));
        } else if (event->type() == QEvent::MouseButtonPress && m_window->windowHandle()) {
            const Qt::Edges edges = edgesAt(static_cast<QMouseEvent *>(event)->position().toPoint());
            if (edges)
                m_window->windowHandle()->startSystemResize(edges);
        }
    }

    Qt::Edges edgesAt(const QPoint &point) const
    {
        Qt::Edges edges;
        if (point.x() < resizeBorder)
            edges |= Qt::LeftEdge;
        if (point.x() >= m_window->width() - resizeBorder)
            edges |= Qt::RightEdge;
        if (point.y() < resizeBorder)
            edges |= Qt::TopEdge;
        if (point.y() >= m_window->height() - resizeBorder)
            edges |= Qt::BottomEdge;
        return edges;
    }

    static Qt::CursorShape cursorFor(Qt::Edges edges)
    {
        if (edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge))
            return Qt::SizeFDiagCursor;
        if (edges == (Qt::RightEdge | Qt::TopEdge) || edges == (Qt::LeftEdge | Qt::BottomEdge))
            return Qt::SizeBDiagCursor;
        if (edges & (Qt::LeftEdge | Qt::RightEdge))
            return Qt::SizeHorCursor;
        if (edges & (Qt::TopEdge | Qt::BottomEdge))
            return Qt::SizeVerCursor;
        return Qt::ArrowCursor;
    }

    QWidget *m_window;
    QWidget *m_header;
    bool m_resizable;
};

// Caption buttons a window's layout may leave out.
template <typename Action> void connectOptionalButton(QWidget *window, const char *name, Action action)
{
    if (auto *button = findControl<QAbstractButton>(window, QString::fromLatin1(name)))
        QObject::connect(button, &QAbstractButton::clicked, window, action);
}

} // namespace

void installWindowChrome(QWidget *window, bool resizable)
{
    window->setWindowFlag(Qt::FramelessWindowHint, true);
    // Without these a borderless window could be neither moved nor closed.
    QWidget *header = requireControl(window, "window_header");
    QObject::connect(requireControl<QToolButton>(window, "windowclosebtn"), &QToolButton::clicked, window,
        [window] { window->close(); });
    auto *filter = new ChromeFilter(window, header, resizable);
    window->installEventFilter(filter);
    header->installEventFilter(filter);
    window->setMouseTracking(resizable);
    connectOptionalButton(window, "windowminbtn", [window] { window->showMinimized(); });
    connectOptionalButton(window, "windowmaxbtn", [window] { window->showMaximized(); });
    connectOptionalButton(window, "windowrestorebtn", [window] { window->showNormal(); });
    filter->updateMaximizeButtons();
}

} // namespace ui
