#include "carryforward/OpenLastYear.h"

#include "app/DatabaseHandles.h"
#include "app/frmSysAdmin.h"
#include "carryforward/PrevYearMessages.h"
#include "engine/EngineErrors.h"
#include "transfer/ImportSteps.h"

namespace carryforward {

engine::DatabasePtr openLastYear(app::frmSysAdmin& w, const std::string& path,
                                 std::string_view notFound) {
    try {
        return app::defaultWorkspace().OpenDatabase(path);
    } catch (const runtime::Error& e) {
        if (e.number() != engine::err::FileNotFound && e.number() != engine::err::InvalidPath)
            throw transfer::ImportStepError("last year's database " + path, e);
    }
    w.MsgText = std::string(notFound);
    w.MsgStyle = std::int16_t{forms::vbOKOnly};
    w.MsgTitle = std::string(msg::FileNotFoundTitle);
    w.MsgHelpContext = std::int16_t{msg::FileNotFoundHelpContext};
    w.ShowMsg();
    return nullptr;
}

} // namespace carryforward
