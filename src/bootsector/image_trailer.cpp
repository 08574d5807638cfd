#include "bootsector/image_trailer.h"

#include "bootsector/boot_fields.h"

namespace disklens {

void PrintImageTrailer(ByteView s) { PrintBootFields(kImageTrailerFields, s); }

}  // namespace disklens
