#include "app/ZandrelApp.h"

int main(int argc, char** argv)
{
    zandrel::CZandrelApp app(argc, argv);
    return app.Run();
}
