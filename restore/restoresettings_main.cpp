// restoresettings: re-applies the saved touchpad settings (~/.vorellshm)
// through vorellctl2.
#include <cstdlib>

#include "restore_settings.h"

namespace {

void run_through_shell(void *, const char *command)
{
    int status = system(command);
    (void)status;  // a failed setting does not stop the others
}

}  // namespace

int main()
{
    const RestorePlatform platform = {nullptr, run_through_shell};
    return restore_settings(platform);
}
