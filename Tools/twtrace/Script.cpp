#include "Commands.h"
