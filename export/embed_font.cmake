# Turns a font file into a C++ source file that holds its bytes, so that the label needs no
# font installed where the program runs (nor in the browser).
#   cmake -DINPUT=font.ttf -DOUTPUT=font.cpp -DNAME=kLabelFont -P embed_font.cmake
# defines NAME##Data (the bytes) and NAME##Size.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
# Sixteen bytes a line.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n  " bytes "${bytes}")
get_filename_component(from ${INPUT} NAME)
file(WRITE ${OUTPUT}
     "// The bytes of ${from}, made by export/embed_font.cmake at build time.\n"
     "#include <cstddef>\n\n"
     "extern const unsigned char ${NAME}Data[] = {\n  ${bytes}\n};\n"
     "extern const std::size_t ${NAME}Size = ${size};\n")
