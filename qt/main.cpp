#include "qt/Program.h"

int main(int argc, char** argv) {
    return kestrove::RunProgram(argc, argv);
}
