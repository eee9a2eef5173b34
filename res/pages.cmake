# The genre reference page, embedded byte for byte in the executable.
add_library(velkor_embedded_pages INTERFACE)
