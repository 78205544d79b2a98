// The menu bar (Config, File Versions, Help) and the logs' pop-up menu.

#include "extraAttempts.h"
#include "fwUpgrade.h"
#include "historyDialog.h"
#include "logView.h"
#include "recordSession.h"
#include "runButtons.h"
#include "trustedKey.h"

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include <array>

namespace {

struct PortItem {
    const char* caption;
    const char* name;
    TComPortNumber port;
};

struct BaudItem {
    const char* caption;
    const char* name;
    TComPortBaudRate speed;
};

constexpr std::array kPortItems = {
    PortItem{"COM1", "COM11", pnCOM1}, PortItem{"COM2", "COM21", pnCOM2},
    PortItem{"COM3", "COM31", pnCOM3}, PortItem{"COM4", "COM41", pnCOM4},
    PortItem{"COM5", "COM51", pnCOM5}, PortItem{"COM6", "COM61", pnCOM6},
    PortItem{"COM7", "COM71", pnCOM7}, PortItem{"COM8", "COM81", pnCOM8},
};

constexpr std::array kBaudItems = {
    BaudItem{"1200", "N12001", br1200},    BaudItem{"2400", "N24001", br2400},
    BaudItem{"4800", "N48001", br4800},    BaudItem{"9600", "N96001", br9600},
    BaudItem{"19200", "N192001", br19200}, BaudItem{"38400", "N384001", br38400},
    BaudItem{"57600", "N576001", br57600},
};

QAction* addChoice(QMenu* menu, QActionGroup* group, const char* caption, const char* name,
                   bool ticked) {
    QAction* action = menu->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(true);
    action->setChecked(ticked);
    group->addAction(action);
    return action;
}

} // namespace

void TForm1::buildPortMenu(QMenu* config) {
    QMenu* port = config->addMenu(QStringLiteral("Port"));
    portItems = new QActionGroup(this);
    portItems->setObjectName(QStringLiteral("portItems"));
    portItems->setExclusive(true);
    runButtons_->add(portItems);
    for (const PortItem& item : kPortItems) {
        QAction* action =
            addChoice(port, portItems, item.caption, item.name, bus_.port().ComPort() == item.port);
        if (action->isChecked()) chosenPortItem_ = action;
        // A new port takes effect at the next operation, which opens it.
        connect(action, &QAction::triggered, this, [this, item, action] {
            bus_.port().setComPort(item.port);
            bus_.port().setDevicePath("");
            chosenPortItem_ = action;
        });
    }
    Network1 = addChoice(port, portItems, "Network...", "Network1", false);
    connect(Network1, &QAction::triggered, this, &TForm1::Network1Click);
}

void TForm1::buildBaudMenu(QMenu* config) {
    QMenu* baud = config->addMenu(QStringLiteral("Baud"));
    baudItems = new QActionGroup(this);
    baudItems->setObjectName(QStringLiteral("baudItems"));
    baudItems->setExclusive(true);
    runButtons_->add(baudItems);
    for (const BaudItem& item : kBaudItems) {
        QAction* action = addChoice(baud, baudItems, item.caption, item.name,
                                    bus_.port().ComPortSpeed() == item.speed);
        connect(action, &QAction::triggered, this,
                [this, item] { guarded([&] { bus_.port().setComPortSpeed(item.speed); }); });
    }
}

void TForm1::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* config = bar->addMenu(QStringLiteral("&Config"));
    buildPortMenu(config);
    buildBaudMenu(config);
    QAction* extend = config->addAction(QStringLiteral("Extend Timeouts"));
    extend->setObjectName(QStringLiteral("ExtendedTimeouts1"));
    connect(extend, &QAction::triggered, this, &TForm1::ExtendedTimeouts1Click);
    QAction* attempts = config->addAction(QStringLiteral("Extra Attempts..."));
    attempts->setObjectName(QStringLiteral("ExtraAttempts1"));
    connect(attempts, &QAction::triggered, this, [this] { showExtraAttempts(*this, bus_); });
    QAction* record = config->addAction(QStringLiteral("Record Session..."));
    record->setObjectName(QStringLiteral("RecordSession1"));
    record->setCheckable(true);
    connect(record, &QAction::triggered, this, [this] { toggleRecordSession(*this); });
    runButtons_->add(record);
    // The session's trust changes only between runs.
    QAction* trustedKey = config->addAction(QStringLiteral("Trusted Key..."));
    trustedKey->setObjectName(QStringLiteral("TrustedKey1"));
    connect(trustedKey, &QAction::triggered, this, [this] { chooseTrustedKey(*this, bus_); });
    runButtons_->add(trustedKey);
    ClearTrustedKey1 = config->addAction(QStringLiteral("Clear Trusted Key"));
    ClearTrustedKey1->setObjectName(QStringLiteral("ClearTrustedKey1"));
    connect(ClearTrustedKey1, &QAction::triggered, this, [this] { clearTrustedKey(*this, bus_); });

    QAction* versions = bar->addAction(QStringLiteral("&File Versions"));
    versions->setObjectName(QStringLiteral("mnuVer"));
    connect(versions, &QAction::triggered, this, &TForm1::mnuVerClick);
    runButtons_->add(versions);

    QAction* history = bar->addAction(QStringLiteral("Firmware &History"));
    history->setObjectName(QStringLiteral("mnuHistory"));
    connect(history, &QAction::triggered, this, [this] { showHistory(*this); });

    QAction* help = bar->addAction(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    help->setEnabled(false);

    pumReport = new QMenu(this);
    pumReport->setObjectName(QStringLiteral("pumReport"));
    QAction* save = pumReport->addAction(QStringLiteral("&Save"));
    save->setObjectName(QStringLiteral("Save1"));
    connect(save, &QAction::triggered, this, &TForm1::Save1Click);
    QAction* open = pumReport->addAction(QStringLiteral("&Open"));
    open->setObjectName(QStringLiteral("Open1"));
    connect(open, &QAction::triggered, this, &TForm1::Open1Click);
}

void TForm1::attachReportMenu(LogView* log) {
    log->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(log, &QWidget::customContextMenuRequested, this,
            [this, log](const QPoint& at) { pumReport->popup(log->mapToGlobal(at)); });
}
