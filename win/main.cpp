#include "win/Program.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return kestrove::win::RunProgram();
}
