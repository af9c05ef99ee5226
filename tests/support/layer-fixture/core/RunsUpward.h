#pragma once
// A file of the bottom layers that reaches up: the layer check must refuse it.
#include "app/MainWindow.h"
