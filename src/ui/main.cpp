// vantorel: the desktop program.
#include "ui/shell/Application.h"

int main(int argc, char** argv)
{
    CVtwinApplication app(argc, argv);
    int code = 0;
    if (!app.InitInstance(app.arguments(), code))
        return code;
    code = app.exec();
    app.ExitInstance();
    return code;
}
