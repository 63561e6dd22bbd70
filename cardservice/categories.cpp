#include "card_service.h"

namespace cardservice {

const char* const kCategoryNames[kCategoryCount] = {
    "PCMCIA",     "SCSI",       "USB",        "BUS",        "Reserved4",  "Reserved5",
    "Reserved6",  "Reserved7",  "Reserved8",  "Reserved9",  "Reserved10", "Reserved11",
    "Reserved12", "Reserved13", "Reserved14", "Reserved15",
};

}  // namespace cardservice
