#pragma once
// Config > "Trusted Key...": the minisign public key that the working folder's SHA256SUMS must
// be signed with. Held by the bus's session until the window closes; nothing is stored.

#include <QString>

class TForm1;

// Asks for the key file and takes it (applyTrustedKey).
void chooseTrustedKey(TForm1& owner);

// Takes the public key in path for the session, or leaves the session as it was when path
// holds no public key. Returns the status line written: which key is trusted now, or why the
// file was not taken (also shown in an error box).
QString applyTrustedKey(TForm1& owner, const QString& path);
