#include "app/LanguageManager.h"
#include "connection/CDeviceInterface.h"
#include "platform/HardwareId.h"
#include "port_dialogs/CDlgModifyNetWork.h"
#include "port_dialogs/CDlgPortNet.h"
#include "port_dialogs/CDlgPortUsb.h"
#include "support/FakeUsbTree.h"
#include "support/PseudoTerminal.h"
#include "support/TrafficLogRecorder.h"
#include "ui/LayoutLoader.h"

#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

namespace {

const QByteArray firstId = "MFG:OXAL;MDL:LP-42;";
const QByteArray secondId = "MFG:OXAL;MDL:LP-43;";

QString hardwareId(const QByteArray &deviceId)
{
    return platform::usbPrintHardwareId(deviceId);
}

// Two raw terminals standing in for USB printers, announced in a fake tree.
struct UsbPrinters {
    FakeUsbTree tree;
    PseudoTerminal first;
    PseudoTerminal second;

    explicit UsbPrinters(int count)
    {
        if (count >= 1)
            tree.addPrinter(0, firstId, first.devicePath());
        if (count >= 2)
            tree.addPrinter(1, secondId, second.devicePath());
        qputenv("OSTREL_SYSFS_ROOT", QFile::encodeName(tree.root()));
    }
    ~UsbPrinters() { qunsetenv("OSTREL_SYSFS_ROOT"); }
};

QPushButton *button(QWidget *window, const char *name)
{
    return ui::findControl<QPushButton>(window, QString::fromLatin1(name));
}

// The simulated printer as a process on a loopback address of its own, with
// TCP 9100 and its discovery port.
class SimulatedPrinter
{
public:
    bool start(const QString &address, int udpPort)
    {
        m_process.start(QStringLiteral(SIM_EXECUTABLE),
            { "--address", address, "--port", "9100", "--udp-port", QString::number(udpPort), "--mac",
                "00-11-22-33-44-55", "--name", "Shop" });
        QDeadlineTimer deadline(10000); // generous: a loaded machine starts processes slowly
        QByteArray output;
        while (!deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
            m_process.waitForReadyRead(100);
            output += m_process.readAllStandardOutput();
            if (output.contains("ready"))
                return true;
        }
        return false;
    }
    ~SimulatedPrinter()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
    }

private:
    QProcess m_process;
};

} // namespace

class TestPortDialogs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        LanguageManager::instance().select(QStringLiteral("Lang\\English"), QStringLiteral("English"));
    }

    void usbDialogWithOnePrinterOpensItWhateverTheStoredId()
    {
        UsbPrinters printers(1);
        TrafficLogRecorder log;
        CDeviceInterface device;
        PortSettings settings;
        settings.kind = PortKind::Net;
        settings.usbDeviceId = hardwareId(secondId);
        CDlgPortUsb dialog(device, settings, nullptr);
        QCOMPARE(dialog.run(), 1);
        QCOMPARE(settings.kind, PortKind::Usb);
        QCOMPARE(settings.usbDeviceId, hardwareId(firstId));
        QVERIFY(device.IsOpen());
        QCOMPARE(log.lines(), QStringList { QStringLiteral("Device: %1, Port: lp0").arg(hardwareId(firstId)) });
        QCOMPARE(dialog.grid()->horizontalHeaderItem(1)->text(), QStringLiteral("Port"));
        QCOMPARE(dialog.grid()->horizontalHeaderItem(2)->text(), QStringLiteral("Device"));
    }

    void usbDialogWithoutPrintersCancels()
    {
        UsbPrinters printers(0);
        TrafficLogRecorder log;
        CDeviceInterface device;
        PortSettings settings;
        settings.usbDeviceId = QStringLiteral("USBPRINT\\KEPT");
        CDlgPortUsb dialog(device, settings, nullptr);
        QCOMPARE(dialog.run(), 2);
        QCOMPARE(settings.usbDeviceId, QStringLiteral("USBPRINT\\KEPT"));
        QVERIFY(!device.IsOpen());
        QVERIFY(log.lines().isEmpty());
    }

    void usbDialogWithTwoPrintersWaits_data()
    {
        QTest::addColumn<QString>("storedId");
        QTest::addColumn<int>("preselected");
        QTest::newRow("stored id matches the second") << hardwareId(secondId) << 1;
        QTest::newRow("no stored id") << QString() << 0;
        QTest::newRow("stored id matches neither") << QStringLiteral("USBPRINT\\OTHER1234") << -1;
    }
    void usbDialogWithTwoPrintersWaits()
    {
        QFETCH(QString, storedId);
        QFETCH(int, preselected);
        UsbPrinters printers(2);
        CDeviceInterface device;
        PortSettings settings;
        settings.usbDeviceId = storedId;
        CDlgPortUsb dialog(device, settings, nullptr);
        int shownSelection = -2;
        bool okEnabled = true;
        bool okEnabledAfterClick = false;
        Qt::CheckState tickAfterClick = Qt::Unchecked;
        // Checks run after the modal loop: a failed check inside it would leave the dialog open.
        QTimer::singleShot(0, &dialog, [&] {
            const QList<QTableWidgetSelectionRange> ranges = dialog.grid()->selectedRanges();
            shownSelection = ranges.isEmpty() ? -1 : ranges.first().topRow();
            okEnabled = button(&dialog, "btn_ok")->isEnabled();
            dialog.grid()->selectRow(1); // the user clicks the second row
            okEnabledAfterClick = button(&dialog, "btn_ok")->isEnabled();
            tickAfterClick = dialog.grid()->item(1, 0)->checkState();
            button(&dialog, "btn_ok")->click();
        });
        QCOMPARE(dialog.run(), 1);
        QCOMPARE(shownSelection, preselected);
        QCOMPARE(okEnabled, preselected >= 0);
        QVERIFY(okEnabledAfterClick);
        QCOMPARE(tickAfterClick, Qt::Checked);
        QCOMPARE(settings.usbDeviceId, hardwareId(secondId));
        QCOMPARE(device.Write("Z", 1), 1);
        QCOMPARE(printers.second.takeWritten(), QByteArray("Z"));
    }

    void usbDialogClosedByItsCloseButtonReturnsTwo()
    {
        UsbPrinters printers(2);
        CDeviceInterface device;
        PortSettings settings;
        CDlgPortUsb dialog(device, settings, nullptr);
        QTimer::singleShot(0, &dialog, [&] { dialog.findChild<QAbstractButton *>("windowclosebtn")->click(); });
        QCOMPARE(dialog.run(), 2);
        QVERIFY(!device.IsOpen());
    }

    void modifyDialogRules()
    {
        CDlgModifyNetWork dialog(false, "10.0.0.5", "255.0.0.0", "", nullptr);
        auto *dhcp = ui::findControl<QCheckBox>(&dialog, "chk_dhcp");
        auto *ip = ui::findControl<QLineEdit>(&dialog, "edit_ip");
        auto *gateway = ui::findControl<QLineEdit>(&dialog, "edit_gateway");
        QVERIFY(dhcp && ip && gateway);
        QCOMPARE(ip->text(), QStringLiteral("10.0.0.5"));
        QVERIFY(ip->isEnabled());
        dhcp->setChecked(true);
        QVERIFY(!ip->isEnabled() && !gateway->isEnabled());
        dhcp->setChecked(false);
        QVERIFY(ip->isEnabled() && gateway->isEnabled());

        dialog.show();
        button(&dialog, "btn_ok")->click(); // the gateway is empty: it stays open
        QVERIFY(dialog.isVisible());
        gateway->setText("10.0.0.1");
        dhcp->setChecked(true); // the texts count also with DHCP ticked
        button(&dialog, "btn_ok")->click();
        QCOMPARE(dialog.result(), 1);
        QVERIFY(dialog.dhcp());
        QCOMPARE(dialog.gateway(), QStringLiteral("10.0.0.1"));

        CDlgModifyNetWork cancelled(true, "a", "b", "c", nullptr);
        QVERIFY(!ui::findControl<QLineEdit>(&cancelled, "edit_ip")->isEnabled());
        cancelled.show();
        button(&cancelled, "btn_cancel")->click();
        QCOMPARE(cancelled.result(), 2);
    }

    // One simulated printer heard on two local addresses shows once; search
    // refills the list; a change of settings removes the row until the
    // printer answers with its new values; confirming makes the port talk to
    // TCP 9100 of the chosen printer.
    void networkDialogWithSimulatedPrinter()
    {
        const QString printerAddress = QStringLiteral("127.0.%1.%2")
                                           .arg(60 + (QCoreApplication::applicationPid() >> 8) % 100)
                                           .arg(1 + QCoreApplication::applicationPid() % 250);
        const int printerUdpPort = 30000 + QCoreApplication::applicationPid() % 10000;
        SimulatedPrinter printer;
        QVERIFY(printer.start(printerAddress, printerUdpPort));

        PortSettings settings;
        DiscoverySetup setup;
        setup.localAddresses = { QStringLiteral("127.0.0.1"), QStringLiteral("127.0.0.2") };
        setup.queryAddress = printerAddress;
        setup.printerPort = printerUdpPort;
        setup.localPort = printerUdpPort + 1;
        CDlgPortNet dialog(settings, setup, nullptr);
        QTableWidget *grid = dialog.grid();
        QCOMPARE(grid->columnCount(), 9);
        QCOMPARE(grid->horizontalHeaderItem(8)->text(), QStringLiteral("Firmware version"));
        dialog.show();
        QCOMPARE(dialog.searchRun().searcherCount(), 2);
        QTRY_COMPARE_WITH_TIMEOUT(grid->rowCount(), 1, 8000);
        QTest::qWait(1300); // both searchers heard it, twice
        QCOMPARE(grid->rowCount(), 1);
        QCOMPARE(grid->item(0, 1)->text(), QStringLiteral("Shop"));
        QCOMPARE(grid->item(0, 3)->text(), printerAddress);
        QCOMPARE(grid->item(0, 6)->text(), QStringLiteral("00-11-22-33-44-55"));
        QCOMPARE(grid->selectedRanges().first().topRow(), 0);

        button(&dialog, "btn_search")->click();
        QCOMPARE(grid->rowCount(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(grid->rowCount(), 1, 8000);

        dialog.setModifyRunner([](CDlgModifyNetWork &modify) {
            ui::findControl<QCheckBox>(&modify, "chk_dhcp")->setChecked(false);
            ui::findControl<QLineEdit>(&modify, "edit_gateway")->setText(QStringLiteral("127.0.0.254"));
            ui::findControl<QLineEdit>(&modify, "edit_subnet")->setText(QStringLiteral("255.255.0.0"));
            modify.show();
            button(&modify, "btn_ok")->click();
            return modify.result();
        });
        grid->selectRow(0);
        button(&dialog, "btn_modify")->click();
        QCOMPARE(grid->rowCount(), 0);
        // A reply already on its way may list the printer with its old values first.
        const auto firstRowSubnet = [grid] { return grid->rowCount() > 0 ? grid->item(0, 4)->text() : QString(); };
        QTRY_COMPARE_WITH_TIMEOUT(firstRowSubnet(), QStringLiteral("255.255.0.0"), 8000);
        QCOMPARE(grid->rowCount(), 1);
        QCOMPARE(grid->item(0, 5)->text(), QStringLiteral("127.0.0.254"));
        QCOMPARE(grid->item(0, 7)->checkState(), Qt::Unchecked);

        grid->selectRow(0);
        button(&dialog, "btn_ok")->click();
        QCOMPARE(dialog.result(), 1);
        QCOMPARE(dialog.searchRun().searcherCount(), 0);
        QCOMPARE(settings.kind, PortKind::Net);
        QCOMPARE(settings.ipAddress, printerAddress);

        CDeviceInterface device;
        QVERIFY(device.Open(settings));
        QTRY_VERIFY_WITH_TIMEOUT(device.IsOpen(), 8000);
        const QByteArray query = "DIAGNOSTIC REPORT DPI\r\n";
        QCOMPARE(device.Write(query.constData(), qint32(query.size())), qint32(query.size()));
        char reply[64];
        QCOMPARE(device.Read(reply, sizeof reply, 1000), 5);
        QCOMPARE(QByteArray(reply, 5), QByteArray("203\r\n"));
    }

    // A later reply of a listed printer (same MAC text) shows its values in
    // that row; the row keeps its place and its selection.
    void networkDialogUpdatesAListedPrinterInPlace()
    {
        PortSettings settings;
        CDlgPortNet dialog(settings, DiscoverySetup {}, nullptr);
        QTableWidget *grid = dialog.grid();
        PrinterInfo first { "P1", "M1", "V1", true, "10.0.0.5", "255.0.0.0", "10.0.0.1", "00-11-22-33-44-55" };
        PrinterInfo second { "P2", "M2", "V2", false, "10.0.0.6", "255.255.0.0", "10.0.0.1", "00-11-22-33-44-66" };
        dialog.addPrinter(first);
        dialog.addPrinter(second);
        grid->selectRow(1);

        PrinterInfo changed = second;
        changed.name = "P2 renamed";
        changed.subnet = "255.255.255.0";
        changed.dhcp = true;
        changed.firmware = "V3";
        dialog.addPrinter(changed);
        changed.mac = "00-11-22-33-44-66 "; // another MAC text is another printer
        dialog.addPrinter(changed);

        QCOMPARE(grid->rowCount(), 3);
        QCOMPARE(grid->item(0, 4)->text(), QStringLiteral("255.0.0.0"));
        QCOMPARE(grid->item(1, 1)->text(), QStringLiteral("P2 renamed"));
        QCOMPARE(grid->item(1, 4)->text(), QStringLiteral("255.255.255.0"));
        QCOMPARE(grid->item(1, 7)->checkState(), Qt::Checked);
        QCOMPARE(grid->item(1, 8)->text(), QStringLiteral("V3"));
        QCOMPARE(grid->selectedRanges().first().topRow(), 1);
        QCOMPARE(grid->item(1, 0)->checkState(), Qt::Checked);
        QCOMPARE(grid->item(0, 0)->checkState(), Qt::Unchecked);
    }

    void networkDialogWithoutSelectionKeepsSettings()
    {
        PortSettings settings;
        settings.kind = PortKind::Usb;
        CDlgPortNet dialog(settings, DiscoverySetup {}, nullptr);
        dialog.show();
        QCOMPARE(dialog.searchRun().searcherCount(), 0);
        button(&dialog, "btn_modify")->click(); // nothing selected: nothing happens
        button(&dialog, "btn_ok")->click();
        QCOMPARE(dialog.result(), 1);
        QCOMPARE(settings.kind, PortKind::Usb);
    }

    void screenshots_data()
    {
        QTest::addColumn<QString>("language");
        for (const char *language : { "English", "German", "Russian", "Arabic" })
            QTest::newRow(language) << QString::fromLatin1(language);
    }

    // Pictures of every port dialog for a person to look at, when asked for.
    void screenshots()
    {
        const QString folder = qEnvironmentVariable("OSTREL_SCREENSHOT_DIR");
        if (folder.isEmpty())
            QSKIP("set OSTREL_SCREENSHOT_DIR to save pictures of the port dialogs");
        QFETCH(QString, language);
        LanguageManager::instance().select(QStringLiteral("Lang\\") + language, language);
        const auto save = [&](QWidget *window, const QString &name) {
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            QVERIFY(window->grab().save(QDir(folder).filePath(QStringLiteral("%1-%2.png").arg(name, language))));
        };

        UsbPrinters printers(2);
        CDeviceInterface device;
        PortSettings settings;
        CDlgPortUsb usb(device, settings, nullptr);
        QTimer::singleShot(0, &usb, [&] {
            save(&usb, QStringLiteral("DlgPortUSB"));
            usb.reject();
        });
        usb.run();

        CDlgPortNet net(settings, DiscoverySetup {}, nullptr);
        PrinterInfo printer;
        printer.name = QStringLiteral("Shop");
        printer.model = QStringLiteral("LP-42");
        printer.firmware = QStringLiteral("V1.55");
        printer.ip = QStringLiteral("192.168.1.40");
        printer.subnet = QStringLiteral("255.255.255.0");
        printer.gateway = QStringLiteral("192.168.1.1");
        printer.mac = QStringLiteral("00-11-22-33-44-55");
        net.show(); // showing starts the search, which empties the list
        net.addPrinter(printer);
        save(&net, QStringLiteral("DlgPortNet"));
        // The grid is wider than the dialog: its middle and right parts too.
        net.grid()->scrollToItem(net.grid()->item(0, 4), QAbstractItemView::PositionAtCenter);
        save(&net, QStringLiteral("DlgPortNet-middle"));
        net.grid()->horizontalScrollBar()->setValue(net.grid()->horizontalScrollBar()->maximum());
        save(&net, QStringLiteral("DlgPortNet-right"));

        CDlgModifyNetWork modify(false, printer.ip, printer.subnet, printer.gateway, nullptr);
        save(&modify, QStringLiteral("DlgModifyNetWork"));

        for (const char *layout : { "DlgPortCom", "DlgPortLpt" }) {
            std::unique_ptr<QWidget> window(ui::loadLayout(QString::fromLatin1(layout) + QStringLiteral(".ui")));
            save(window.get(), QString::fromLatin1(layout));
        }
        LanguageManager::instance().select(QStringLiteral("Lang\\English"), QStringLiteral("English"));
    }

    void serialAndParallelLayoutsExist()
    {
        for (const char *layout : { "DlgPortCom.ui", "DlgPortLpt.ui" }) {
            std::unique_ptr<QWidget> window(ui::loadLayout(QString::fromLatin1(layout)));
            QVERIFY2(window, layout);
            QVERIFY(button(window.get(), "btn_ok"));
        }
    }
};

QTEST_MAIN(TestPortDialogs)
#include "tst_portdialogs.moc"
