#pragma once
// Config > "Trusted Key...": the minisign public key that the working folder's SHA256SUMS must
// be signed with. Kept in the window's settings until the operator clears it (Config > "Clear
// Trusted Key"), so that a window opened later still sends signed firmware only; the status
// bar says so while a key is set.

#include <QString>

class BusController;
class QMainWindow;

// Asks for the key file and takes it (applyTrustedKey).
void chooseTrustedKey(QMainWindow& window, BusController& bus);

// Takes the public key in path for the session and the settings, or leaves both as they were
// when path holds no public key. Returns the status line written: which key is trusted now, or
// why the file was not taken (also shown in an error box).
QString applyTrustedKey(QMainWindow& window, BusController& bus, const QString& path);

// Forgets the key, in the session and in the settings: files are no longer held to a signature.
void clearTrustedKey(QMainWindow& window, BusController& bus);

// At start-up: the key kept in the settings, taken whether or not it still reads. One that no
// longer reads refuses every file, saying why, until it is chosen again or cleared.
void restoreTrustedKey(QMainWindow& window, BusController& bus);
