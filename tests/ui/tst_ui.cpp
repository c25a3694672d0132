#include "ui/ControlText.h"
#include "ui/ControlUpdate.h"
#include "ui/LanguagePack.h"
#include "ui/LayoutLoader.h"
#include "ui/RequiredControls.h"
#include "ui/SkinPackage.h"
#include "ui/TabButton.h"

#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QtEndian>

#include <zip.h>

#include <memory>

namespace {

// A window with a label and a progress bar named as a worker addresses them.
struct UpdateTarget {
    std::unique_ptr<QDialog> window = std::make_unique<QDialog>();
    QLabel *label = new QLabel(QStringLiteral("before"), window.get());
    QProgressBar *bar = new QProgressBar(window.get());

    UpdateTarget()
    {
        label->setObjectName(QStringLiteral("label_status"));
        bar->setObjectName(QStringLiteral("ctrl_process"));
        bar->setRange(0, 10);
        bar->setValue(5);
    }
};

QWidget *controlWithId(QWidget *parent, QWidget *control, int id)
{
    control->setParent(parent);
    control->setProperty(ui::resourceIdProperty, id);
    return control;
}

} // namespace

class TestUi : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void skinPathsMatchWithoutCaseOrSeparator_data();
    void skinPathsMatchWithoutCaseOrSeparator();
    void skinPackageRejectsBadZip();
    void skinPackageCapsEntrySizes_data();
    void skinPackageCapsEntrySizes();
    void layoutTextWithoutLayoutClassIsRefused_data();
    void layoutTextWithoutLayoutClassIsRefused();
    void windowPackTakesOnlyPresentAttributes();
    void messagePackKeepsSourceTextsExactly();
    void packTextsFallBackToLayout();
    void layoutLoadsOwnControlClassesAndImages();
    void missingRequiredControlIsLoggedAndStoodIn();
    void controlUpdateRules_data();
    void controlUpdateRules();
    void updatesFromWorkerWaitAndSkipMissingWindows();
    void closeWindowEndsModalRunWithValue();
};

void TestUi::skinPathsMatchWithoutCaseOrSeparator_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("as stored") << QStringLiteral("lang/English/MainFrame.lng");
    QTest::newRow("backslashes") << QStringLiteral("Lang\\English\\MainFrame.lng");
    QTest::newRow("other case") << QStringLiteral("LANG\\english/mainframe.LNG");
}

void TestUi::skinPathsMatchWithoutCaseOrSeparator()
{
    QFETCH(QString, path);
    const SkinPackage &skin = SkinPackage::embedded();
    QVERIFY(skin.isValid());
    QVERIFY(skin.contains(path));
    QVERIFY(skin.read(path).contains("Interface"));
    QVERIFY(skin.read(QStringLiteral("lang/English/NoSuchFile.lng")).isNull());
}

void TestUi::skinPackageRejectsBadZip()
{
    const SkinPackage bad = SkinPackage::fromZip(QByteArrayLiteral("PK\x03\x04 not really a zip"));
    QVERIFY(!bad.isValid());
    QVERIFY(!bad.contains(QStringLiteral("MainFrame.ui")));
}

namespace {

// A zip of one entry, written by libzip; the caller may patch its bytes.
QByteArray zipOf(const char *name, const QByteArray &data)
{
    QTemporaryDir dir;
    const QByteArray path = dir.filePath(QStringLiteral("skin.zip")).toLocal8Bit();
    int error = 0;
    zip_t *archive = zip_open(path.constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return {};
    zip_source_t *source = zip_source_buffer(archive, data.constData(), zip_uint64_t(data.size()), 0);
    if (!source || zip_file_add(archive, name, source, ZIP_FL_OVERWRITE) < 0 || zip_close(archive) != 0) {
        zip_discard(archive);
        return {};
    }
    QFile file(QString::fromLocal8Bit(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Sets the uncompressed size in the local and central headers of a one-entry zip.
QByteArray withDeclaredSize(QByteArray zip, quint32 size)
{
    const qsizetype central = zip.indexOf(QByteArrayLiteral("PK\x01\x02"));
    if (!zip.startsWith(QByteArrayLiteral("PK\x03\x04")) || central < 0)
        return {};
    qToLittleEndian<quint32>(size, zip.data() + 22);
    qToLittleEndian<quint32>(size, zip.data() + central + 24);
    return zip;
}

} // namespace

void TestUi::skinPackageCapsEntrySizes_data()
{
    QTest::addColumn<QByteArray>("zip");
    QTest::addColumn<bool>("valid");

    const QByteArray zeros(9 << 20, '\0'); // deflates to a few kilobytes
    const QByteArray small = zipOf("lang/English/MainFrame.lng", QByteArray(4096, 'x'));
    QTest::newRow("small entry") << small << true;
    QTest::newRow("entry of 9 MiB") << zipOf("big.ui", zeros) << false;
    QTest::newRow("inflates past its declared size") << withDeclaredSize(small, 16) << false;
    QTest::newRow("declares 3 GiB") << withDeclaredSize(small, 3u << 30) << false;
}

void TestUi::skinPackageCapsEntrySizes()
{
    QFETCH(QByteArray, zip);
    QFETCH(bool, valid);
    QVERIFY(!zip.isEmpty());
    const SkinPackage package = SkinPackage::fromZip(zip);
    QCOMPARE(package.isValid(), valid);
    QCOMPARE(package.entryNames().size(), valid ? 1 : 0);
}

void TestUi::layoutTextWithoutLayoutClassIsRefused_data()
{
    QTest::addColumn<QByteArray>("layout");
    QTest::addColumn<bool>("loadable");

    const auto ui = [](const char *inner) {
        return QByteArray("<ui version=\"4.0\"><class>W</class><widget class=\"QWidget\" name=\"W\">"
                          "<layout class=\"QVBoxLayout\" name=\"outer\"><item>")
            + inner + "</item></layout></widget></ui>";
    };
    QTest::newRow("nested grid") << ui("<layout class=\"QGridLayout\" name=\"inner\"/>") << true;
    QTest::newRow("nested empty class") << ui("<layout class=\"\" name=\"inner\"/>") << false;
    QTest::newRow("nested without class") << ui("<layout name=\"inner\"/>") << false;
    QTest::newRow("nested widget class") << ui("<layout class=\"QLabel\"/>") << false;
    QTest::newRow("not well-formed") << ui("<layout class=\"QGridLayout\">") << false;
}

void TestUi::layoutTextWithoutLayoutClassIsRefused()
{
    QFETCH(QByteArray, layout);
    QFETCH(bool, loadable);
    QCOMPARE(ui::layoutTextIsLoadable(layout), loadable);
}

void TestUi::windowPackTakesOnlyPresentAttributes()
{
    const WindowPack pack = parseWindowPack(QByteArrayLiteral("<Language isocode=\"en\">"
                                                              "<Text id=\"1\" text=\"One\" tooltip=\"Tip one\"/>"
                                                              "<Text id=\"2\" tipvalue=\"Hint two\"/>"
                                                              "<Text text=\"no id\"/>"
                                                              "<Other id=\"3\" text=\"other element\"/>"
                                                              "<Text id=\"x4\" text=\"bad id\"/>"
                                                              "</Language>"));
    QCOMPARE(pack.texts, (QHash<int, QString> { { 1, QStringLiteral("One") } }));
    QCOMPARE(pack.tooltips, (QHash<int, QString> { { 1, QStringLiteral("Tip one") } }));
    QCOMPARE(pack.hints, (QHash<int, QString> { { 2, QStringLiteral("Hint two") } }));
    QVERIFY(parseWindowPack(QByteArrayLiteral("<Language><Text id=")).isEmpty());
    QCOMPARE(windowPackFileName(QStringLiteral("FormPrinterOptions.ui")), QStringLiteral("FormPrinterOptions.lng"));
}

void TestUi::messagePackKeepsSourceTextsExactly()
{
    const MessagePack pack
        = parseMessagePack(SkinPackage::embedded().read(QStringLiteral("Lang\\English\\StringResource.lng")));
    QCOMPARE(pack.size(), 96);
    QCOMPARE(pack.value(QStringLiteral("感应器校正")), QStringLiteral("sensor calibration "));
    QCOMPARE(pack.value(QStringLiteral("校验数据失败, 校验和错误。")),
        QStringLiteral("Data verification failed, checksum error."));
    QCOMPARE(pack.value(QStringLiteral("载入文件失败，文件大小为0.")),
        QStringLiteral("Loading file failed, file size is 0."));
    const MessagePack chinese
        = parseMessagePack(SkinPackage::embedded().read(QStringLiteral("Lang\\ChineseSimplified\\StringResource.lng")));
    QCOMPARE(QSet<QString>(chinese.keyBegin(), chinese.keyEnd()), QSet<QString>(pack.keyBegin(), pack.keyEnd()));
    for (auto it = chinese.cbegin(); it != chinese.cend(); ++it)
        QCOMPARE(it.value(), it.key());
}

void TestUi::packTextsFallBackToLayout()
{
    QWidget root;
    root.setProperty(ui::layoutFileProperty, QStringLiteral("Test.ui"));
    auto *caption = controlWithId(&root, new QLabel(QStringLiteral("标题")), 1);
    auto *edit = static_cast<QLineEdit *>(controlWithId(&root, new QLineEdit, 2));
    edit->setPlaceholderText(QStringLiteral("提示"));
    edit->setToolTip(QStringLiteral("布局提示"));
    edit->setText(QStringLiteral("typed by the user"));
    auto *unlisted = controlWithId(&root, new QPushButton(QStringLiteral("按钮")), 3);
    auto *plain = new QLabel(QStringLiteral("无编号"), &root);
    // A page of another layout inside this one keeps its own texts.
    auto *nested = new QWidget(&root);
    nested->setProperty(ui::layoutFileProperty, QStringLiteral("Page.ui"));
    auto *nestedLabel = controlWithId(nested, new QLabel(QStringLiteral("页面")), 1);

    ui::rememberLayoutTexts(&root);
    ui::applyWindowPack(&root,
        parseWindowPack(QByteArrayLiteral(
            "<Language><Text id=\"1\" text=\"Caption\" tooltip=\"\"/><Text id=\"2\" tipvalue=\"Hint\"/></Language>")));
    QCOMPARE(ui::controlText(caption), QStringLiteral("Caption"));
    QCOMPARE(edit->placeholderText(), QStringLiteral("Hint"));
    QCOMPARE(edit->text(), QStringLiteral("typed by the user"));
    QCOMPARE(edit->toolTip(), QStringLiteral("布局提示"));
    QCOMPARE(ui::controlText(unlisted), QStringLiteral("按钮"));
    QCOMPARE(ui::controlText(plain), QStringLiteral("无编号"));
    QCOMPARE(ui::controlText(nestedLabel), QStringLiteral("页面"));

    // A pack without those entries brings the layout's texts back.
    ui::applyWindowPack(&root, WindowPack());
    QCOMPARE(ui::controlText(caption), QStringLiteral("标题"));
    QCOMPARE(edit->placeholderText(), QStringLiteral("提示"));
}

void TestUi::layoutLoadsOwnControlClassesAndImages()
{
    int created = 0;
    ui::registerControlClass(QStringLiteral("TabButton"), [&created](QWidget *parent) {
        ++created;
        return new QPushButton(parent);
    });
    std::unique_ptr<QWidget> window(ui::loadLayout(QStringLiteral("mainframe.UI")));
    QVERIFY(window);
    QCOMPARE(ui::layoutFileOf(window.get()), QStringLiteral("mainframe.UI"));
    QCOMPARE(created, 4);
    QVERIFY(ui::findControl<QPushButton>(window.get(), QStringLiteral("tabctrl_bit_font")));
    auto *icon = ui::findControl<QLabel>(window.get(), QStringLiteral("window_icon"));
    QVERIFY(icon && !icon->pixmap().isNull());
    QVERIFY(!ui::findControl(window.get(), QStringLiteral("no_such_control")));
    QVERIFY(!ui::loadLayout(QStringLiteral("NoSuchLayout.ui")));
    ui::registerControlClass(QStringLiteral("TabButton"), [](QWidget *parent) { return new ui::TabButton(parent); });
}

void TestUi::missingRequiredControlIsLoggedAndStoodIn()
{
    QWidget window;
    QVERIFY(ui::loadLayoutInto(&window, QStringLiteral("DlgPortLpt.ui")));
    QPushButton *ok = ui::findControl<QPushButton>(&window, QStringLiteral("btn_ok"));
    QVERIFY(ok);
    QCOMPARE(ui::requireControl<QPushButton>(&window, "btn_ok"), ok);

    QTest::ignoreMessage(QtCriticalMsg,
        QRegularExpression(QStringLiteral("^QWidget \\(DlgPortLpt.ui\\) needs the control btn_search of class "
                                          "QPushButton; its layout has no such control$")));
    QPushButton *standIn = ui::requireControl<QPushButton>(&window, "btn_search");
    QVERIFY(standIn->isHidden());
    QCOMPARE(standIn->parentWidget(), &window);
    QCOMPARE(ui::requireControl<QPushButton>(&window, "btn_search"), standIn);

    QTest::ignoreMessage(QtCriticalMsg,
        QRegularExpression(
            QStringLiteral("needs the control cb_port of class QLineEdit; its layout has it as QComboBox$")));
    QLineEdit *asEdit = ui::requireControl<QLineEdit>(&window, "cb_port");
    QVERIFY(asEdit->isHidden());
}

void TestUi::controlUpdateRules_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("operation");
    QTest::addColumn<qint64>("value");
    QTest::addColumn<int>("expectedValue");
    QTest::addColumn<int>("expectedMin");
    QTest::addColumn<int>("expectedMax");

    const auto value = int(ControlOperation::SetProgressValue);
    QTest::newRow("value in range") << "ctrl_process" << value << qint64(7) << 7 << 0 << 10;
    QTest::newRow("value at maximum") << "ctrl_process" << value << qint64(10) << 10 << 0 << 10;
    QTest::newRow("value above maximum") << "ctrl_process" << value << qint64(11) << 5 << 0 << 10;
    QTest::newRow("value below minimum") << "ctrl_process" << value << qint64(-1) << 5 << 0 << 10;
    QTest::newRow("value on a label") << "label_status" << value << qint64(7) << 5 << 0 << 10;
    QTest::newRow("value on a missing control") << "ctrl_none" << value << qint64(7) << 5 << 0 << 10;
    QTest::newRow("minimum") << "ctrl_process" << int(ControlOperation::SetProgressMin) << qint64(2) << 5 << 2 << 10;
    QTest::newRow("maximum") << "ctrl_process" << int(ControlOperation::SetProgressMax) << qint64(64) << 5 << 0 << 64;
}

void TestUi::controlUpdateRules()
{
    QFETCH(QString, control);
    QFETCH(int, operation);
    QFETCH(qint64, value);
    UpdateTarget target;
    applyControlUpdate(target.window.get(), { control, ControlOperation(operation), value, QString(), 0 });
    QTEST(target.bar->value(), "expectedValue");
    QTEST(target.bar->minimum(), "expectedMin");
    QTEST(target.bar->maximum(), "expectedMax");
    QCOMPARE(target.label->text(), QStringLiteral("before"));
}

void TestUi::updatesFromWorkerWaitAndSkipMissingWindows()
{
    UpdateTarget target;
    QPointer<QWidget> window(target.window.get());
    QPointer<QWidget> gone(new QWidget);
    delete gone.data();

    int barSeenByWorker = -1;
    QString labelSeenByWorker;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        SendControlUpdate(window, QStringLiteral("ctrl_process"), ControlOperation::SetProgressValue, 8);
        // The update was applied before the call returned.
        barSeenByWorker = target.bar->value();
        SendControlUpdate(window, QStringLiteral("label_status"), QStringLiteral("worker text"));
        labelSeenByWorker = target.label->text();
        SendControlUpdate(window, QStringLiteral("no_such_control"), QStringLiteral("lost"));
        SendControlUpdate(gone, QStringLiteral("ctrl_process"), ControlOperation::SetProgressValue, 9);
        SendControlUpdate(gone, QString(), ControlOperation::CloseWindow, 1);
    }));
    worker->start();
    QTRY_VERIFY_WITH_TIMEOUT(worker->isFinished(), 5000);
    QCOMPARE(barSeenByWorker, 8);
    QCOMPARE(labelSeenByWorker, QStringLiteral("worker text"));
}

void TestUi::closeWindowEndsModalRunWithValue()
{
    UpdateTarget target;
    QPointer<QWidget> window(target.window.get());
    std::unique_ptr<QThread> worker;
    QTimer::singleShot(0, target.window.get(), [&] {
        worker.reset(
            QThread::create([window] { SendControlUpdate(window, QString(), ControlOperation::CloseWindow, 1); }));
        worker->start();
    });
    QCOMPARE(target.window->exec(), 1);
    QVERIFY(worker->wait(5000));
}

QTEST_MAIN(TestUi)
#include "tst_ui.moc"
