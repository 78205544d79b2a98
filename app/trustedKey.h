#pragma once
// Config > "Trusted Key...": the minisign public key that the working folder's SHA256SUMS must
// be signed with. Kept in the window's settings until the operator clears it (Config > "Clear
// Trusted Key"), so that a window opened later still sends signed firmware only; the status
// bar says so while a key is set.

#include <QString>

class TForm1;

// Asks for the key file and takes it (applyTrustedKey).
void chooseTrustedKey(TForm1& owner);

// Takes the public key in path for the session and the settings, or leaves both as they were
// when path holds no public key. Returns the status line written: which key is trusted now, or
// why the file was not taken (also shown in an error box).
QString applyTrustedKey(TForm1& owner, const QString& path);

// Forgets the key, in the session and in the settings: files are no longer held to a signature.
void clearTrustedKey(TForm1& owner);

// At start-up: the key kept in the settings, taken whether or not it still reads. One that no
// longer reads refuses every file, saying why, until it is chosen again or cleared.
void restoreTrustedKey(TForm1& owner);
