// Holds the test prefix's virtual desktop open between test programs: Wine closes a
// desktop when its last program ends, and opening it again costs every test its start.
#include <windows.h>

int wmain()
{
    GetDesktopWindow();
    Sleep(INFINITE);
    return 0;
}
