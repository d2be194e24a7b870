#include "report/model/band.h"
#include "report/engine/engine.h"
