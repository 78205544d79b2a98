#pragma once
// The main window with its modal questions answered by the test: message boxes are recorded
// and answered from a script, file dialogs return the paths the test sets. The window carries
// a running operation's questions over to its own thread, so these run there too.

#include "fwUpgrade.h"
#include "tests/support/namedControl.h"
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
    QString suggestedName; // what the site report's file dialog offered last
    QString openPath;
    int saveAsked = 0;
    int openAsked = 0;
    // What the network address question is answered with, one answer each time it is asked
    // (cancelled once they run out), and what it offered each time.
    QList<TypedLine> networkAnswers;
    QList<TypedLine> networkOffers;
    bool realNetworkDialog = false; // the window's own dialog instead
    // Called with each message's text on the window's thread before it is answered, while an
    // operation that asked waits for the answer.
    std::function<void(const QString&)> beforeAnswer;
    // The window's own message boxes, shown and answered by whoever presses their keys.
    bool realBoxes = false;

protected:
    QMessageBox::StandardButton
    showMessageBox(QMessageBox::Icon icon, const QString& title, const QString& text,
                   QMessageBox::StandardButtons buttons,
                   const QMap<QMessageBox::StandardButton, QString>& captions = {}) override {
        messages.append({icon, text});
        if (realBoxes) return TForm1::showMessageBox(icon, title, text, buttons, captions);
        if (beforeAnswer) beforeAnswer(text);
        return buttons.testFlag(answer) ? answer : QMessageBox::Ok;
    }
    QString askSaveFileName() override {
        ++saveAsked;
        return savePath;
    }
    QString askSiteReportName(const QString& suggested) override {
        ++saveAsked;
        suggestedName = suggested;
        return savePath;
    }
    QString askOpenFileName() override {
        ++openAsked;
        return openPath;
    }
    TypedLine askNetworkAddress(const TypedLine& offer) override {
        networkOffers.append(offer);
        if (realNetworkDialog) return TForm1::askNetworkAddress(offer);
        return networkAnswers.isEmpty() ? TypedLine{} : networkAnswers.takeFirst();
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
