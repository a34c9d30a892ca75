#include "support/GoEnds.h"

#include <set>
#include <unistd.h>

namespace support {

namespace {

std::set<int>& goEnds() {
    static std::set<int> ends;
    return ends;
}

} // namespace

void addGoEnd(int fd) {
    goEnds().insert(fd);
}

void closeGoEnd(int fd) {
    goEnds().erase(fd);
    close(fd);
}

void closeGoEndsInChild() {
    for (int fd : goEnds())
        close(fd);
}

} // namespace support
