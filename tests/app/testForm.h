#pragma once
// The main window with its modal questions answered by the test: message boxes are recorded
// and answered from a script, file dialogs return the paths the test sets. The window carries
// a running operation's questions over to its own thread, so these run there too.

#include "fwUpgrade.h"

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
class InTemporaryFolder {
public:
    InTemporaryFolder() : previous_(QDir::currentPath()) { QDir::setCurrent(folder_.path()); }
    ~InTemporaryFolder() { QDir::setCurrent(previous_); }
    QString path() const { return folder_.path(); }
    QString file(const QString& name) const { return folder_.filePath(name); }

private:
    QTemporaryDir folder_;
    QString previous_;
};
