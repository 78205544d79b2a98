#pragma once
// Page "Site": the whole bus as a tree, the buttons that plan it and bring it up to date, the
// choices of the run, and the line that sums the last run up. It talks to the bus only through
// its controller and asks the operator through the window's questions.

#include "busController.h"
#include "windowQuestions.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class SiteTree;

class SitePage : public QWidget {
    Q_OBJECT
public:
    SitePage(BusController& bus, WindowQuestions& questions, QWidget* parent = nullptr);

    // What a Stop asked (from the window, at this level) shows on the page.
    void showStopAsked(StopLevel level);

private:
    QWidget* buildBar();
    void connectBus();
    // While a site run runs the button is its Stop.
    void siteClicked();
    // Survey and plan the bus (planOnly), or bring every unit that is behind up to date.
    void startRun(bool planOnly);
    void runEnded();
    // The site line says the run again where it told a search's LA.
    void endSearchLine();
    void setRunning(bool running);
    void saveReport();
    // The status line's text, and its accessible name with it.
    void say(const QString& text);

    BusController& bus_;
    WindowQuestions& questions_;
    QPushButton* btnPlan_ = nullptr;
    QPushButton* btnSite_ = nullptr; // "Upgrade &Site", its Stop while a site run runs
    QCheckBox* ckbRemotes_ = nullptr;
    QComboBox* cbxModel_ = nullptr;
    QPushButton* btnSaveReport_ = nullptr;
    SiteTree* tvSite_ = nullptr;
    QLabel* lblSite_ = nullptr; // the last site run summed up
    bool searchShown_ = false;  // the site line tells a search's LA, not the run
};
