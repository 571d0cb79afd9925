// Resource ids of Orlune, shared by the code and the Windows resource script
// (so plain preprocessor definitions, which a resource compiler reads too).
#ifndef EXPORT_ORLUNE_RESOURCE_IDS_H
#define EXPORT_ORLUNE_RESOURCE_IDS_H

// The format picture handed to Movara at registration: a 32 x 32, 4-bit
// device-independent bitmap, generated from bitmap_2703.txt.
#define ORLUNE_FORMAT_BITMAP_ID 2703

#endif  // EXPORT_ORLUNE_RESOURCE_IDS_H
