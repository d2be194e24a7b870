#include "platform/locale.h"
  #  include "report/model/report.h"
