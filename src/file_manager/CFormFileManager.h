#pragma once

#include "file_manager/jobs/FileManagerJobs.h"
#include "jobs/Job.h"
#include "jobs/TaskCode.h"
#include "protocol/StorageCommands.h"
#include "ui/RequiredControls.h"

#include <QWidget>

class CApp;
class CDlgProcess;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTableWidget;

// The file manager tab: sizes and files of one memory place of the printer,
// deleting files there and downloading a file from the computer into it.
// Every exchange with the printer runs behind the progress dialog.
class CFormFileManager : public QWidget
{
    Q_OBJECT
public:
    static constexpr char layoutFile[] = "FormFileManager.ui";
    static constexpr char settingsSection[] = "FileManager";
    static constexpr char placeKey[] = "MemoryPlace";
    static constexpr ui::RequiredControl requiredControls[] = {
        { "chk_file_manager_dram", "QRadioButton" },
        { "chk_file_manager_flash", "QRadioButton" },
        { "chk_file_manager_card", "QRadioButton" },
        { "grid_memory", "QTableWidget" },
        { "edit_file_manager_total_memory_size", "QLineEdit" },
        { "edit_file_manager_valid_memory_size", "QLineEdit" },
        { "label_file_manager_download_place", "QLabel" },
        { "edit_file_manager_file_path", "QLineEdit" },
        { "edit_file_manager_file_name", "QLineEdit" },
        { "edit_file_manager_file_size", "QLineEdit" },
        { "btn_file_manager_read_memory", "QPushButton" },
        { "btn_file_manager_delete_file", "QPushButton" },
        { "btn_file_manager_delete_all_file", "QPushButton" },
        { "btn_file_manager_brower_file", "QPushButton" },
        { "btn_file_manager_download_file", "QPushButton" },
    };

    enum Column { RowMark, Place, Name, Size };

    CFormFileManager(CApp &app, QWidget *parent = nullptr);

    protocol::MemoryPlace selectedPlace() const;
    QTableWidget *grid() const { return m_grid; }

    // The job a click of this form prepared for the progress dialog it opens.
    static jobs::Job takeJob(CDlgProcess &dialog);

public Q_SLOTS:
    void readMemory();
    void deleteFile();
    void deleteAllFiles();
    void browseFile();
    void downloadFile();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void selectPlace(protocol::MemoryPlace place);
    void onPlaceToggled(protocol::MemoryPlace place, bool checked);
    void chooseFile(const QString &path);
    void showMemory(protocol::MemoryPlace place);
    void showReadFailure(file_manager::MemoryReadEnd end);
    int runJob(jobs::TaskCode code, jobs::Job job);

    CApp &m_app;
    QRadioButton *m_options[3] = {};
    QTableWidget *m_grid = nullptr;
    QLineEdit *m_total = nullptr;
    QLineEdit *m_free = nullptr;
    QLabel *m_downloadPlace = nullptr;
    QLineEdit *m_path = nullptr;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_size = nullptr;
    jobs::Job m_pendingJob;
};

// Installs the tab page and its jobs into the program.
void registerFileManager(CApp &app);
