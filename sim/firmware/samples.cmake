# One sample for every application file name the tool looks for, and the remote images,
# made at build time in ${CMAKE_BINARY_DIR}/sim/firmware with a listing "samples.txt".
# Each version is above what a freshly installed unit runs, so an upgrade takes place.
#
#   name                        format   version  bytes  seed
set(NEXALO_FW_SAMPLES
    "Terminal-K1.hex            hex      2.10     16384  101"
    "Terminal-K2.hex            hex      2.21     20480  102"
    "Terminal-P1.S28            s28      3.01     24576  103"
    "Terminal-P3.S28            s28      3.12     24576  104"
    "Terminal-P4.S28            s28      3.24     24576  105"
    "Terminal-P5.S28            s28      3.35     24576  106"
    "Terminal-P6.S28            s28      3.46     24576  107"
    "Terminal-P7.S28            s28      3.57     24576  108"
    "Terminal-P8.S28            s28      3.68     24576  109"
    "remoteP2.S28               s28      2.40     16384  110"
    "Controller-K2.hex          hex-ela  4.20     73728  111"
    "AdvancedController-K2.hex  hex-ela  5.02     98304  112"
    "Host-K2.hex                hex      2.30     12288  113"
    "QRM-C.hex                  hex-ela  6.11     81920  114"
    "QRM-D.S28                  s28      6.12     49152  115"
    "Terminal-P9.s28            s28      3.79     24576  116"
    "remoteR1.s19               s19      2.51     6910   121"
    "remoteR2.s19               s19      2.52     6910   122"
    "remoteR3.s19               s19      2.53     6910   123"
    "remoteR4.s19               s19      2.54     6910   124"
    "remoteR5.s19               s19      2.55     6910   125"
    "remoteR6.s19               s19      2.56     6910   126"
    "remoteR7.s19               s19      2.57     6910   127"
    "remoteR8.s19               s19      2.58     6910   128")

set(NEXALO_FW_SAMPLES_DIR ${CMAKE_BINARY_DIR}/sim/firmware CACHE INTERNAL
    "Folder of the generated sample firmware files")
set(sample_files)
set(listing "# name\tformat\tversion\tbytes\tseed\n")
foreach(entry IN LISTS NEXALO_FW_SAMPLES)
    string(REGEX REPLACE " +" ";" fields "${entry}")
    list(GET fields 0 name)
    list(GET fields 1 format)
    list(GET fields 2 version)
    list(GET fields 3 size)
    list(GET fields 4 seed)
    set(file ${NEXALO_FW_SAMPLES_DIR}/${name})
    add_custom_command(OUTPUT ${file}
        COMMAND nexalo-fwgen --format ${format} --version ${version} --size ${size}
                --seed ${seed} ${file}
        DEPENDS nexalo-fwgen
        COMMENT "Generating sample firmware ${name}"
        VERBATIM)
    list(APPEND sample_files ${file})
    string(APPEND listing "${name}\t${format}\t${version}\t${size}\t${seed}\n")
endforeach()
file(CONFIGURE OUTPUT ${NEXALO_FW_SAMPLES_DIR}/samples.txt CONTENT "${listing}" @ONLY)

add_custom_target(nexalo-fw-samples ALL DEPENDS ${sample_files})
