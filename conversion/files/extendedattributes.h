#pragma once

#include <QByteArray>

// Whether the access ACL travels with the other attributes.
enum class AccessAcl { Included, Left };

// Gives the file open as to the user's extended attributes ("user.*") of the file at from, and
// with AccessAcl::Included its access ACL, as far as the file system and the process allow:
// an attribute that cannot be set is left out without a word.
void copyExtendedAttributes(const QByteArray &from, int to, AccessAcl acl);
