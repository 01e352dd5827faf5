#include "app/AppOptions.h"
#include "app/ZandrelApp.h"

int main(int argc, char** argv)
{
    // The usage and the version need no window system: answered before the GUI starts.
    if (zandrel::AsksForUsageOrVersion(argc, argv))
        return zandrel::ShowUsageOrVersion(argc, argv);
    zandrel::CZandrelApp app(argc, argv);
    return app.Run();
}
