#!/bin/bash
# The layers below the pipeline keep no mutable global state and hand-free nothing:
#  - no writable object (.data, .bss and kin) in the libraries of codec, core, formats,
#    detect, decode, encode and rom: whatever a load needs travels in its LoadContext;
#  - no free() or fclose() outside the owning handles of core/owned.h, anywhere in the
#    product code: buffers and streams are released by their owners.
set -u
build=${ZARPO2_BUILD:?}
source=${ZARPO2_SOURCE:?}
status=0

for layer in codec core formats detect decode encode rom; do
    lib="$build/libzarpo2_$layer.a"
    [ -f "$lib" ] || continue
    # Objects in writable sections; compiler-made personality references do not count.
    found=$(objdump -t "$lib" | awk '$3 == "O" || $2 == "O" { print }' |
        grep -E ' (\.data|\.bss|\.tdata|\.tbss|\.data\.rel|\.data\.rel\.local)(\s|$)|\s\.bss\.' |
        grep -v 'DW\.ref\.' || true)
    if [ -n "$found" ]; then
        echo "mutable global state in the $layer layer:"
        echo "$found"
        status=1
    fi
done

hand_freed=$(cd "$source" && grep -nE '(^|[^_[:alnum:]])(std::)?(free|fclose)\(' \
    codec/*.* core/*.* formats/*.* detect/*.* decode/*.* encode/*.* pipeline/*.* output/*.* cli/*.* ui/*.* \
    $(ls -d rom 2>/dev/null | sed 's|$|/*.*|') 2>/dev/null | grep -v '^core/owned.h:' || true)
if [ -n "$hand_freed" ]; then
    echo "free/fclose outside core/owned.h:"
    echo "$hand_freed"
    status=1
fi
exit $status
