#include "ln/lnitembody.h"

#include "ln/lnclassid.h"
#include "nnotes/collection.h"
#include "nnotes/note.h"

LNITEMTYPE LNItemTypeFromNSFType(uint16_t nsfType, uint16_t, uint32_t context) {
    switch (nsfType) {
    case nnotes::TYPE_COMPOSITE:
        return context == LNCLASSID_LNFONTTABLEBODY ? LNITEMTYPE_FONTTABLE : LNITEMTYPE_RICHTEXT;
    case nnotes::TYPE_NUMBER:
    case nnotes::TYPE_NUMBER_RANGE:
        return LNITEMTYPE_NUMBERS;
    case nnotes::TYPE_TIME:
        return LNITEMTYPE_DATETIMES;
    case nnotes::TYPE_TIME_RANGE:
        return context == LNCLASSID_LNDATETIMERANGESBODY ? LNITEMTYPE_DATETIMERANGES : LNITEMTYPE_DATETIMES;
    case nnotes::TYPE_TEXT:
    case nnotes::TYPE_TEXT_LIST:
        return LNITEMTYPE_TEXT;
    case 3:
    case 4:
    case 6:
    case 7:
    case 8:
    case 14:
    case 256:
    case nnotes::TYPE_NOTEREF_LIST:
    case nnotes::TYPE_FORMULA:
        return nsfType;
    default:
        return LNITEMTYPE_UNSUPPORTED;
    }
}

void LNItemTypeForClass(uint32_t handleClass, LNITEMTYPE* type, uint16_t* nsfType) {
    LNITEMTYPE code = LNITEMTYPE_TEXT;
    uint16_t stored = nnotes::TYPE_TEXT;
    switch (handleClass) {
    case LNCLASSID_LNDATETIMERANGES:
        code = LNITEMTYPE_DATETIMERANGES;
        stored = nnotes::TYPE_TIME_RANGE;
        break;
    case LNCLASSID_LNDATETIMES:
        code = LNITEMTYPE_DATETIMES;
        stored = nnotes::TYPE_TIME_RANGE;
        break;
    case LNCLASSID_LNFONTTABLE:
        code = LNITEMTYPE_FONTTABLE;
        stored = nnotes::TYPE_COMPOSITE;
        break;
    case LNCLASSID_LNNUMBERS:
        code = LNITEMTYPE_NUMBERS;
        stored = nnotes::TYPE_NUMBER_RANGE;
        break;
    case LNCLASSID_LNRICHTEXT:
        code = LNITEMTYPE_RICHTEXT;
        stored = nnotes::TYPE_COMPOSITE;
        break;
    case LNCLASSID_LNTEXT:
        stored = nnotes::TYPE_TEXT_LIST;
        break;
    default:
        break;
    }
    if (type != nullptr) *type = code;
    if (nsfType != nullptr) *nsfType = stored;
}
