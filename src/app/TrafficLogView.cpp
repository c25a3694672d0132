#include "app/TrafficLogView.h"

#include "app/LanguageManager.h"
#include "app/SettingsStore.h"
#include "platform/AtomicSave.h"
#include "ui/Prompts.h"

#include <QAction>
#include <QBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QToolButton>

#include <algorithm>

namespace {

const QString notFoundStyle = QStringLiteral("QLineEdit { background: #ffd6d6; }");

} // namespace

TrafficLogView::TrafficLogView(QPlainTextEdit *log, const SettingsStore &settings)
    : m_log(log)
{
    setObjectName(QStringLiteral("traffic_log_view"));
    QWidget *host = log->parentWidget();
    if (auto *splitter = qobject_cast<QSplitter *>(host))
        splitter->replaceWidget(splitter->indexOf(log), this);
    else if (QLayout *outer = host ? host->layout() : nullptr)
        delete outer->replaceWidget(log, this);
    else
        setParent(host);
    setMinimumSize(log->minimumSize());
    // Command lines and their hex read left to right in every language.
    log->setLayoutDirection(Qt::LeftToRight);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_log);
    m_log->setVisible(true); // the splitter hid what it gave back

    m_findBar = new QWidget(this);
    m_findBar->setObjectName(QStringLiteral("traffic_log_find_bar"));
    auto *bar = new QHBoxLayout(m_findBar);
    bar->setContentsMargins(2, 2, 2, 2);
    bar->setSpacing(2);
    m_findField = new QLineEdit(m_findBar);
    m_findField->setObjectName(QStringLiteral("edit_traffic_log_find"));
    m_findField->setClearButtonEnabled(true);
    m_findField->installEventFilter(this);
    bar->addWidget(m_findField, 1);
    const struct {
        Qt::ArrowType arrow;
        bool backward;
    } arrows[] = { { Qt::UpArrow, true }, { Qt::DownArrow, false } };
    for (const auto &arrow : arrows) {
        auto *button = new QToolButton(m_findBar);
        button->setArrowType(arrow.arrow);
        button->setAutoRaise(true);
        connect(button, &QToolButton::clicked, this, [this, backward = arrow.backward] { findNext(backward); });
        bar->addWidget(button);
    }
    auto *close = new QToolButton(m_findBar);
    close->setText(QStringLiteral("✕"));
    close->setAutoRaise(true);
    connect(close, &QToolButton::clicked, this, &TrafficLogView::closeFind);
    bar->addWidget(close);
    layout->addWidget(m_findBar);
    m_findBar->hide();
    connect(m_findField, &QLineEdit::textEdited, this, [this] {
        // Search again from where the last match began.
        QTextCursor cursor = m_log->textCursor();
        cursor.setPosition(cursor.selectionStart());
        m_log->setTextCursor(cursor);
        findNext();
    });

    const qint32 stored
        = settings.readInt(QString::fromLatin1(settingsSection), QString::fromLatin1(maxLinesKey), defaultMaxLines);
    // The document drops its first block once it holds this many.
    m_log->setMaximumBlockCount(stored > 0 ? stored : defaultMaxLines);
    m_log->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_log->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_log, &QWidget::customContextMenuRequested, this, &TrafficLogView::showMenu);

    m_copy = makeAction(QKeySequence::Copy, nullptr);
    connect(m_copy, &QAction::triggered, m_log, &QPlainTextEdit::copy);
    m_copy->setEnabled(false);
    connect(m_log, &QPlainTextEdit::copyAvailable, m_copy, &QAction::setEnabled);
    m_selectAll = makeAction(QKeySequence::SelectAll, nullptr);
    connect(m_selectAll, &QAction::triggered, m_log, &QPlainTextEdit::selectAll);
    m_clear = makeAction(QKeySequence(Qt::CTRL | Qt::Key_L), &TrafficLogView::clear);
    m_save = makeAction(QKeySequence::Save, &TrafficLogView::save);
    m_find = makeAction(QKeySequence::Find, &TrafficLogView::openFind);
    retranslate();
}

QAction *TrafficLogView::makeAction(const QKeySequence &keys, void (TrafficLogView::*slot)())
{
    auto *action = new QAction(this);
    action->setShortcut(keys);
    // Only while the log or its find bar has the focus: the pages keep their keys.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    if (slot)
        connect(action, &QAction::triggered, this, slot);
    QWidget::addAction(action);
    return action;
}

void TrafficLogView::retranslate()
{
    m_copy->setText(translate(QStringLiteral("复制")));
    m_selectAll->setText(translate(QStringLiteral("全选")));
    m_clear->setText(translate(QStringLiteral("清空")));
    m_save->setText(translate(QStringLiteral("保存日志…")));
    m_find->setText(translate(QStringLiteral("查找…")));
    m_findField->setPlaceholderText(translate(QStringLiteral("查找…")));
}

void TrafficLogView::showMenu(const QPoint &position)
{
    retranslate();
    QMenu menu(this);
    menu.addActions({ m_copy, m_selectAll });
    menu.addSeparator();
    menu.addActions({ m_find, m_save });
    menu.addSeparator();
    menu.addAction(m_clear);
    menu.exec(m_log->viewport()->mapToGlobal(position));
}

int TrafficLogView::maxLines() const
{
    return m_log->maximumBlockCount();
}

void TrafficLogView::appendLine(const QString &line)
{
    QScrollBar *bar = m_log->verticalScrollBar();
    // While the user reads a match further up, new lines do not pull the view away.
    const bool follow = !m_findBar->isVisible() || bar->value() == bar->maximum();
    m_log->appendPlainText(line);
    if (follow)
        bar->setValue(bar->maximum());
}

void TrafficLogView::clear()
{
    m_log->clear();
}

QByteArray TrafficLogView::contents() const
{
    const QTextDocument *document = m_log->document();
    if (document->isEmpty())
        return QByteArray();
    QString text;
    text.reserve(document->characterCount() + document->blockCount());
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        text += block.text();
        text += QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

bool TrafficLogView::saveTo(const QString &path) const
{
    return platform::saveAtomically(path, contents()).isEmpty();
}

void TrafficLogView::save()
{
    retranslate();
    const QString path = prompts().saveFileNameWithSuffix(window(), m_save->text(), QStringLiteral("traffic-log.txt"),
        translate(QStringLiteral("文本文件")) + QStringLiteral(" (*.txt);;") + translate(QStringLiteral("所有文件"))
            + QStringLiteral(" (*)"),
        QStringLiteral("txt"));
    if (path.isEmpty() || saveTo(path))
        return;
    prompts().showMessage(window(), translate(QStringLiteral("无法保存日志。")) + QLatin1Char('\n') + path,
        translate(QStringLiteral("警告")), Prompts::Buttons::Ok, Prompts::Icon::Warning);
}

void TrafficLogView::openFind()
{
    retranslate();
    m_findBar->show();
    // A log dragged down to a few lines gets room for a match besides the bar.
    if (auto *splitter = qobject_cast<QSplitter *>(parentWidget())) {
        constexpr int wanted = 140;
        constexpr int pageKeeps = 200;
        QList<int> sizes = splitter->sizes();
        const int index = splitter->indexOf(this);
        const int grow = index > 0 ? std::min(wanted - sizes[index], sizes[index - 1] - pageKeeps) : 0;
        if (grow > 0) {
            sizes[index - 1] -= grow;
            sizes[index] += grow;
            splitter->setSizes(sizes);
        }
    }
    const QString selected = m_log->textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        m_findField->setText(selected);
    m_findField->setFocus();
    m_findField->selectAll();
}

void TrafficLogView::closeFind()
{
    m_findBar->hide();
    m_findField->setStyleSheet(QString());
    m_log->setFocus();
}

bool TrafficLogView::findNext(bool backward)
{
    const QString text = m_findField->text();
    bool found = text.isEmpty();
    if (!found) {
        const QTextDocument::FindFlags flags = backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
        found = m_log->find(text, flags);
        if (!found) {
            const QTextCursor before = m_log->textCursor();
            m_log->moveCursor(backward ? QTextCursor::End : QTextCursor::Start);
            found = m_log->find(text, flags);
            if (!found)
                m_log->setTextCursor(before);
        }
    }
    m_findField->setStyleSheet(found ? QString() : notFoundStyle);
    return found && !text.isEmpty();
}

bool TrafficLogView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_findField && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape) {
            closeFind();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            findNext(key->modifiers() & Qt::ShiftModifier);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
