#include "report/model/band.h"
#include "script/script.h"
