#pragma once
// Pictures of the window for the documentation: each page of the main window and the Extend
// Timeout dialog, drawn the way the window draws itself on screen.

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

class TForm1;

struct WindowShot {
    QString fileName; // name of the PNG file under docs/screenshots/
    QImage image;
    QSize widgetSize; // size of the window or dialog that was drawn
};

// Shows the form and its dialog in turn, so call it with nothing else open on them (and the
// Site page's plan done, for its picture to show one); the form is left showing its first page
// with the dialog hidden.
QList<WindowShot> renderWindowShots(TForm1& form);

// Writes each shot as PNG into folder; false (with the failing file named on stderr) if one
// cannot be written.
bool saveWindowShots(const QList<WindowShot>& shots, const QString& folder);
