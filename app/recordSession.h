#pragma once
// Config > "Record Session...": every request and reply of the window's bus written to a
// capture (link/capture.h) from now until the operator switches it off again; the caption says
// so meanwhile. The file is read with "nexalo-cli capture show" and served by
// "nexalo-sim --replay".

#include <QString>

class TForm1;

// Asks for the file and starts recording, or stops a recording that runs.
void toggleRecordSession(TForm1& owner);

// Starts recording into path; false (said in an error box) when it cannot be written.
bool startRecordSession(TForm1& owner, const QString& path);
void stopRecordSession(TForm1& owner);
