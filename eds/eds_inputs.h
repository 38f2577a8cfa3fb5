#pragma once
// The program state both profiles' EDS files are made from, declared for the
// writers' headers: the module table, the gateway parameters and the EEPROM
// image read at connect (its firmware version), beside the operator's two
// texts and the time of the commit. Each writer's state names the parts it
// reads (the mapping tables are the pages', pages/map_tables.h).

#include "eds/eds_info.h"
#include "link/link_fwd.h"
#include "modules/modules_fwd.h"
#include "platform/ui/services.h"
