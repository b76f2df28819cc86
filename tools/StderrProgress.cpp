#include "tools/StderrProgress.h"

#include "core/MessageIds.h"
#include "resources/StringTable.h"

void StderrProgress::Finish()
{
    showStep(10);
    showStatus(LoadResString(Msg::Done));
}
