# Sourced by the benchmarks that need a folder of camera photos.
# camera_photos FOLDER COUNT SIZE: COUNT copies (IMG_1.jpg ...) of one camera-like JPEG of SIZE,
# 4:2:2 at quality 92, in FOLDER/photos; the photo itself is FOLDER/photo.jpg.
camera_photos() {
  convert -size "$3" -seed 1 plasma:fractal -blur 0x1 -attenuate 0.4 +noise Gaussian \
    -sampling-factor 2x1 -quality 92 "$1/photo.jpg"
  mkdir -p "$1/photos"
  local i
  for i in $(seq 1 "$2"); do cp "$1/photo.jpg" "$1/photos/IMG_$i.jpg"; done
}
