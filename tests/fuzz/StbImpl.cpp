// The image reader and writer compiled from the same headers as the
// system's stb library, so that the fuzzer instruments the decoder itself.
// One difference: a few header bytes can declare a picture of 16384 x 16384
// that takes seconds and a gigabyte to fill, which only tests the
// allocator, so the fuzzer's decoder refuses sides over 4096.
#define STBI_MAX_DIMENSIONS 4096
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
