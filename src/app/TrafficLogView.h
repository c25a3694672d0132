#pragma once

#include <QString>
#include <QWidget>

class QAction;
class QLineEdit;
class QPlainTextEdit;
class SettingsStore;

// The traffic log along the bottom of the main window: the layout's log view
// with a find bar beneath it, a context menu and shortcuts (copy, select all,
// clear, save, find) and a limit on the lines kept, the oldest dropped first.
class TrafficLogView : public QWidget
{
    Q_OBJECT
public:
    static constexpr char settingsSection[] = "TrafficLog";
    static constexpr char maxLinesKey[] = "MaxLines";
    static constexpr int defaultMaxLines = 100000;

    // Takes the place of log in its parent splitter or layout and keeps it
    // inside; the limit is read from settings once.
    TrafficLogView(QPlainTextEdit *log, const SettingsStore &settings);

    QPlainTextEdit *log() const { return m_log; }
    int maxLines() const;
    QLineEdit *findField() const { return m_findField; }

    // The log exactly as shown, each line ended by CR LF as the log ends its
    // entries.
    QByteArray contents() const;
    // Writes contents() to path as a whole or not at all.
    bool saveTo(const QString &path) const;

public Q_SLOTS:
    void appendLine(const QString &line);
    void clear();
    // Asks for a file and saves the log there; a failure is told.
    void save();
    void openFind();
    void closeFind();
    // From the cursor on, wrapping at the end; false when the text is nowhere.
    bool findNext(bool backward = false);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void retranslate();
    void showMenu(const QPoint &position);
    QAction *makeAction(const QKeySequence &keys, void (TrafficLogView::*slot)());

    QPlainTextEdit *m_log;
    QWidget *m_findBar = nullptr;
    QLineEdit *m_findField = nullptr;
    QAction *m_copy = nullptr;
    QAction *m_selectAll = nullptr;
    QAction *m_clear = nullptr;
    QAction *m_save = nullptr;
    QAction *m_find = nullptr;
};
