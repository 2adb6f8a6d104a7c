/* The packed asset blob, linked into the executable as read-only data. */
    .section .rodata.brakkon_assets, "a"
    .balign 16
    .global brakkon_asset_pack_begin
    .global brakkon_asset_pack_end
brakkon_asset_pack_begin:
    .incbin BRAKKON_ASSET_PACK_FILE
brakkon_asset_pack_end:
    .byte 0
    .section .note.GNU-stack, "", @progbits
