#include "app/CDlgProcess.h"
#include "app/CDlgSoftLanguage.h"
#include "app/CMainFrame.h"
#include "bitfont/tool/CDlgFontEdit.h"
#include "bitfont/tool/CDlgImportFont.h"
#include "bitfont/tool/CDlgViewFontBcf2.h"
#include "bitfont/tool/CFormBitFont.h"
#include "file_manager/CFormFileManager.h"
#include "port_dialogs/CDlgModifyNetWork.h"
#include "port_dialogs/CDlgPortNet.h"
#include "port_dialogs/CDlgPortUsb.h"
#include "printer_options/CDlgFormDetect.h"
#include "printer_options/CDlgSensorCheck.h"
#include "printer_options/CFormPrinterOptions.h"
#include "terminal/CFormCommunication.h"
#include "ui/LayoutLoader.h"
#include "ui/RequiredControls.h"
#include "ui/SkinPackage.h"
#include "upgrade/CDlgUpgrade.h"

#include <QRegularExpression>
#include <QTest>

#include <memory>
#include <span>

namespace {

// Workers address the progress bar by name; the dialog's own code looks up nothing.
constexpr ui::RequiredControl processControls[] = { { CDlgProcess::progressControl, "QProgressBar" } };

struct WindowControls {
    const char *layoutFile;
    std::span<const ui::RequiredControl> controls;
};

// Every layout of the skin package, with the controls its window's code needs.
const WindowControls windows[] = {
    { CMainFrame::layoutFile, CMainFrame::requiredControls },
    { CDlgSoftLanguage::layoutFile, CDlgSoftLanguage::requiredControls },
    { "DlgProcess.ui", processControls },
    { CDlgPortUsb::layoutFile, CDlgPortUsb::requiredControls },
    { CDlgPortNet::layoutFile, CDlgPortNet::requiredControls },
    { CDlgModifyNetWork::layoutFile, CDlgModifyNetWork::requiredControls },
    { CFormCommunication::layoutFile, CFormCommunication::requiredControls },
    { CFormFileManager::layoutFile, CFormFileManager::requiredControls },
    { CFormPrinterOptions::layoutFile, CFormPrinterOptions::requiredControls },
    { CFormBitFont::layoutFile, CFormBitFont::requiredControls },
    { CDlgImportFont::layoutFile, CDlgImportFont::requiredControls },
    { CDlgViewFontBcf2::layoutFile, CDlgViewFontBcf2::requiredControls },
    { CDlgFontEdit::layoutFile, CDlgFontEdit::requiredControls },
    { CDlgUpgrade::layoutFile, CDlgUpgrade::requiredControls },
    { CDlgFormDetect::layoutFile, CDlgFormDetect::requiredControls },
    { CDlgSensorCheck::layoutFile, CDlgSensorCheck::requiredControls },
    // Windows whose forms are still to come show their layouts as drawn.
    { "DlgPortCom.ui", {} },
    { "DlgPortLpt.ui", {} },
};

} // namespace

class TestSkin : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyLayoutIsAccountedFor();
    void everyLayoutLoads_data();
    void everyLayoutLoads();
    void requiredControlsExistWithTheirClass_data();
    void requiredControlsExistWithTheirClass();
};

// A new layout must say which of its controls code relies on, and a listed
// layout must exist.
void TestSkin::everyLayoutIsAccountedFor()
{
    QStringList inPackage = SkinPackage::embedded().entryNames().filter(QRegularExpression(QStringLiteral("\\.ui$")));
    inPackage.sort();
    QStringList listed;
    for (const WindowControls &window : windows)
        listed.append(SkinPackage::normalizedPath(QString::fromLatin1(window.layoutFile)));
    listed.sort();
    QCOMPARE(listed, inPackage);
}

// Only layouts proven here reach the .ui loader in the program.
void TestSkin::everyLayoutLoads_data()
{
    QTest::addColumn<QString>("layout");
    for (const QString &name : SkinPackage::embedded().entryNames()) {
        if (name.endsWith(QLatin1String(".ui")))
            QTest::newRow(qPrintable(name)) << name;
    }
}

void TestSkin::everyLayoutLoads()
{
    QFETCH(QString, layout);
    QVERIFY(ui::layoutTextIsLoadable(SkinPackage::embedded().read(layout)));
    const std::unique_ptr<QWidget> root(ui::loadLayout(layout));
    QVERIFY(root);
}

void TestSkin::requiredControlsExistWithTheirClass_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    for (const WindowControls &window : windows) {
        for (const ui::RequiredControl &control : window.controls)
            QTest::addRow("%s %s", window.layoutFile, control.name)
                << QString::fromLatin1(window.layoutFile) << QString::fromLatin1(control.name)
                << QString::fromLatin1(control.className);
    }
}

void TestSkin::requiredControlsExistWithTheirClass()
{
    QFETCH(QString, layout);
    QFETCH(QString, name);
    QFETCH(QString, className);
    const std::unique_ptr<QWidget> root(ui::loadLayout(layout));
    QVERIFY2(root, qPrintable(layout));
    const QWidget *control = ui::findControl(root.get(), name);
    QVERIFY2(control, qPrintable(QStringLiteral("%1 has no control %2").arg(layout, name)));
    QVERIFY2(control->inherits(className.toLatin1().constData()),
        qPrintable(QStringLiteral("%1 is a %2").arg(name, QString::fromLatin1(control->metaObject()->className()))));
}

QTEST_MAIN(TestSkin)
#include "tst_skin.moc"
