#pragma once

// Which inputs a conversion reads.
enum class InputKinds {
    Any, // whatever the name leads to, as cat would read it: a pipe, a device, a regular file
    RegularFilesOnly, // a named pipe, a socket or a device is refused without being opened
};
