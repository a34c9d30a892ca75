#pragma once

namespace support {

// The parents' ends of the pipes on which forked test processes wait to go. A child that
// kept another child's end open would hold that child back until it exited itself, so a
// new child closes all of them (closeGoEndsInChild) and sees only its own parent let go.
void addGoEnd(int fd);
// Closes the parent's end and forgets it.
void closeGoEnd(int fd);
void closeGoEndsInChild();

} // namespace support
