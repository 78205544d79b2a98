#pragma once
// The main window with its modal questions answered by the test: message boxes are recorded
// and answered from a script, file dialogs return the paths the test sets. The window carries
// a running operation's questions over to its own thread, so these run there too.

#include "fwUpgrade.h"
#include "tests/support/workingFolder.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

struct ShownMessage {
    QMessageBox::Icon icon;
    QString text;
};

class TestForm : public TForm1 {
public:
    QList<ShownMessage> messages;
    QMessageBox::StandardButton answer = QMessageBox::Yes;
    QString savePath;
    QString openPath;
    int saveAsked = 0;
    int openAsked = 0;
    QString networkAnswer;     // what the network address question is answered with
    QStringList networkOffers; // what it offered each time
    // Called with each message's text on the window's thread before it is answered, while an
    // operation that asked waits for the answer.
    std::function<void(const QString&)> beforeAnswer;

protected:
    QMessageBox::StandardButton showMessageBox(QMessageBox::Icon icon, const QString&,
                                               const QString& text,
                                               QMessageBox::StandardButtons buttons) override {
        messages.append({icon, text});
        if (beforeAnswer) beforeAnswer(text);
        return buttons.testFlag(answer) ? answer : QMessageBox::Ok;
    }
    QString askSaveFileName() override {
        ++saveAsked;
        return savePath;
    }
    QString askSiteReportName() override {
        ++saveAsked;
        return savePath;
    }
    QString askOpenFileName() override {
        ++openAsked;
        return openPath;
    }
    QString askNetworkAddress(const QString& last) override {
        networkOffers.append(last);
        return networkAnswer;
    }
};

// Runs every test of a program in a fresh working folder, so that a comms log file there is
// under the test's control.
// The one working-folder guard, its names as Qt strings.
class InTemporaryFolder : public WorkingFolder {
public:
    QString path() const { return QString::fromStdString(WorkingFolder::path().string()); }
    QString file(const QString& name) const { return QDir(path()).filePath(name); }
};
