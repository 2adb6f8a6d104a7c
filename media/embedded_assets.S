/* The packed asset blobs, linked into the executable as read-only data: the base pack always,
   the level thumbnails' pack when BRAKKON_THUMBS_PACK_FILE is given (the thumbnails are drawn
   by a program that itself runs on the base pack, so they form a second stage). */
    .section .rodata.brakkon_assets, "a"
    .balign 16
    .global brakkon_asset_pack_begin
    .global brakkon_asset_pack_end
brakkon_asset_pack_begin:
    .incbin BRAKKON_ASSET_PACK_FILE
brakkon_asset_pack_end:
    .byte 0
#ifdef BRAKKON_THUMBS_PACK_FILE
    .balign 16
    .global brakkon_thumbs_pack_begin
    .global brakkon_thumbs_pack_end
brakkon_thumbs_pack_begin:
    .incbin BRAKKON_THUMBS_PACK_FILE
brakkon_thumbs_pack_end:
    .byte 0
#endif
    .section .note.GNU-stack, "", @progbits
