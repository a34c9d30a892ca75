#pragma once

#include <string>

namespace app {

struct ClientPaths {
    std::string trust;
    std::string company;
};

// The trust and company network databases lie beside the individuals database under their
// fixed names: the folder of the chosen file (blanks around it removed) followed by
// "\QolbTrust2018Lan.Mdb" and "\QolbCompany2018Lan.Mdb". Whatever the chosen file is
// called, the other two follow its folder. A path without a folder leaves both as they
// were.
ClientPaths deriveClientPaths(const std::string& persDbPath, const ClientPaths& current);

} // namespace app
