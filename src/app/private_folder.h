#pragma once
// A folder for the files the program writes out of its own resources (the font aliases, the guide) and for
// its one-instance lock and socket: a folder of the user's own in the user's runtime folder, else under /tmp.
// The place is fixed per user, whatever TMPDIR says.

#include <QString>

namespace kelvora {

// The folder's path, created if need be; empty when no folder safe to write into could be had (another user
// owns the one of our name, or it is a symbolic link).
QString privateFolder();

// Writes a resource of the program into the private folder under fileName; returns the file's path, or an
// empty string.
QString writeResourceFile(const QString& resource, const QString& fileName);

} // namespace kelvora
