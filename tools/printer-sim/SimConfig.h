#pragma once

#include <QByteArray>
#include <QDateTime>

namespace printersim {

// Which optional parts the simulated printer has. A query about a part the
// printer lacks goes unanswered, as on a real printer without it.
struct PrinterOptions {
    bool bluetooth = true;
    bool wifi = true;
    bool ethernet = true;
    bool serial = true;
    bool cutter = true;
    bool peeler = false;
    bool card = true;
};

// Faults a test or a user can switch on to see how the program copes.
struct FaultSwitches {
    bool noAnswer = false; // every reply is swallowed
    int answerDelayMs = 0; // every reply leaves this much later
    bool garbage = false; // every reply is scrambled (and loses its CR LF)
    bool closeMidTransfer = false; // a download or firmware block drops the link half-way
    bool failErase = false; // the boot loader reports a failed erase
    bool wrongVerifySum = false; // the boot loader's verify sum is off by one
    bool failQuery = false; // the boot loader refuses the parameter query
    int failBlock = -1; // the boot loader refuses the block with this number (counted from 0)
    bool neverEnterBoot = false; // INIAP OXALBOOT restarts the printer into normal mode again
    bool neverLeaveBoot = false; // the boot restart command is taken but the boot loader stays
    QByteArray sensorReply; // SENSORCHECK answers these bytes instead of drifting readings
    bool shortSensorReply = false; // SENSORCHECK answers one byte less than its 48
};

struct Timings {
    int restartMs = 1500; // ESC ! R: away this long, then back
    int bootEnterMs = 3000; // INIAP OXALBOOT: away this long, then the boot device
    int bootLeaveMs = 3000; // boot restart: away this long, then the printer again
    int selfTestMs = 2000; // status shows "printing" this long after SELFTEST
};

struct MemorySizes {
    int dramKb = 1024;
    int flashKb = 4096;
    int cardKb = 16384;
};

// What the printer is, as opposed to how it is set up; INITALPRINTER keeps it.
struct Identity {
    QByteArray model = "OX-420T";
    QByteArray version = "V1.21";
    QByteArray serial = "OX42026000137";
    int dpi = 203;
    QByteArray netName = "OX-420T-SIM";
    QByteArray mac = "00-1B-82-5E-00-01";
    QByteArray ipAddress = "127.0.0.1";
    QByteArray usbManufacturer = "OXAL";
    // The boot loader's USB identity; the program looks for the hardware id
    // that these give ("USBPRINT\OXAL_Printer_Boot...").
    QByteArray bootManufacturer = "OXAL_";
    QByteArray bootModel = "Printer Boot";
};

struct SimConfig {
    Identity identity;
    PrinterOptions options;
    FaultSwitches faults;
    Timings timings;
    MemorySizes memory;
    quint8 statusByte = 0;
    // Printer clock at time 0 of the caller's clock.
    QDateTime clockStart = QDateTime(QDate(2026, 1, 1), QTime(0, 0));
};

} // namespace printersim
