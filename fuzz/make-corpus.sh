#!/usr/bin/env bash
# Makes the seed corpus of the fuzz targets in fuzz/corpus/ (committed; run
# again only to change it). Small pictures with what cameras, phones and
# editors write: EXIF in both byte orders with dates, GPS, orientation,
# serial numbers and a thumbnail, XMP, IPTC, ICC profiles, CMYK with Adobe's
# marker, baseline, progressive, arithmetic and restart intervals; a few
# files of the other kinds CImageInfo reads; records and names. Inputs kept
# from failures (next to their fixes) are left as they are.
set -euo pipefail
cd "$(dirname "$0")"
out=corpus
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$out"/{image_info,exif_date,orientation,icc_profile,strip_private,caption,gallery_record,escaping}
convert=/usr/bin/convert
ex() { exiftool -q -q -overwrite_original "$@"; }
# Every JPEG seed goes to the targets that read JPEGs.
jpeg() {
  for t in image_info exif_date orientation strip_private caption; do cp "$1" "$out/$t/"; done
}

"$convert" -size 16x12 gradient:red-blue -attenuate 0.3 +noise Gaussian "$tmp/base.ppm"
"$convert" -size 8x6 xc:green "$tmp/thumb.jpg"
cjpeg -quality 80 "$tmp/base.ppm" >"$tmp/baseline.jpg"
cjpeg -quality 80 -progressive -grayscale "$tmp/base.ppm" >"$tmp/progressive-grey.jpg"
cjpeg -quality 80 -arithmetic "$tmp/base.ppm" >"$tmp/arithmetic.jpg"
cjpeg -quality 80 -restart 1 -optimize "$tmp/base.ppm" >"$tmp/restart.jpg"
"$convert" "$tmp/base.ppm" -colorspace CMYK -quality 80 "$tmp/cmyk.jpg"
for f in baseline progressive-grey arithmetic restart cmyk; do jpeg "$tmp/$f.jpg"; done

for order in MM II; do
  f="$tmp/exif-$order.jpg"
  cp "$tmp/baseline.jpg" "$f"
  ex -ExifByteOrder=$order -n -Orientation=6 -Make=Fuji -Model=X -Copyright="(c) Famille" \
    -Artist=Marie -XPAuthor=Paul -CameraSerialNumber=CS1 -SerialNumber=BS2 \
    -LensSerialNumber=LS3 -OwnerName=Jean -DateTimeOriginal="2024:05:01 12:00:00" \
    -SubSecTimeOriginal=25 -GPSLatitude=48.85 -GPSLatitudeRef=N -GPSLongitude=2.35 \
    -GPSLongitudeRef=E -InteropIndex=R98 -ThumbnailImage\<="$tmp/thumb.jpg" \
    -XMP-dc:Creator=Marie -IPTC:By-line=Marie -Comment=Bonjour "$f"
  jpeg "$f"
  exiftool -b -EXIF "$f" >"$tmp/block-$order.tiff"
  cp "$tmp/block-$order.tiff" "$out/exif_date/"
  cp "$tmp/block-$order.tiff" "$out/orientation/"
done
cp "$tmp/progressive-grey.jpg" "$tmp/date-only.jpg"
ex -DateTimeOriginal="2021:12:31 23:59:59" -SubSecTimeOriginal=999 "$tmp/date-only.jpg"
jpeg "$tmp/date-only.jpg"

# Captions: each of the three places alone, all three, a language alternative
# and a camera's placeholder.
c="$out/caption"
cp "$tmp/baseline.jpg" "$c/xmp.jpg"
ex -XMP-dc:Description-fr="Été à la plage" -XMP-dc:Description="Summer" "$c/xmp.jpg"
cp "$tmp/baseline.jpg" "$c/iptc.jpg"
ex -IPTC:CodedCharacterSet=UTF8 -IPTC:Caption-Abstract="Pique-nique" "$c/iptc.jpg"
cp "$tmp/baseline.jpg" "$c/exif-description.jpg"
ex -ExifByteOrder=II -ImageDescription="OLYMPUS DIGITAL CAMERA" -DateTimeOriginal="2020:02:29 10:00:00" "$c/exif-description.jpg"
cp "$tmp/progressive-grey.jpg" "$c/all-three.jpg"
ex -ExifByteOrder=MM -ImageDescription="Exif" -IPTC:Caption-Abstract="IPTC" -XMP-dc:Description="XMP" "$c/all-three.jpg"

# Colour profiles: Display P3 (a small one) and libvips' sRGB, which the
# decoder recognises and skips; CMYK without one takes the ink formula.
vips copy "$tmp/base.ppm" "$tmp/base.v"
vips jpegsave "$tmp/base.v" "$tmp/p3.jpg" --profile p3 --interlace
vips jpegsave "$tmp/base.v" "$tmp/srgb.jpg" --profile srgb
cp "$tmp/p3.jpg" "$tmp/srgb.jpg" "$tmp/cmyk.jpg" "$tmp/baseline.jpg" "$out/icc_profile/"
cp "$tmp/p3.jpg" "$out/strip_private/"
cp "$tmp/p3.jpg" "$out/image_info/"

for kind in png gif bmp; do "$convert" "$tmp/base.ppm" "$out/image_info/picture.$kind"; done

printf 'pixolane-record 1\nmini/a.jpg\t1200\t1700000000123456789\t/photos/a.jpg\t2049\t131\t48211\t1690000000000000000\tv2 mini 140 p1\npic/%%25 t%%09\xc3\xa9.jpg\t5\t-1\t\t0\t0\t-1\t0\t\nend 2\n' \
  >"$out/gallery_record/record"
printf 'pixolane-record 1\nend 0\n' >"$out/gallery_record/empty"

printf '\000été 02.jpg' >"$out/escaping/accents"
printf '\000R&D "x" <y> #1?%%20\\a.jpg\t\r\n' >"$out/escaping/specials"
printf '\001\x3d\xd8\x00\xde\x41\x00\x00\xdc' >"$out/escaping/utf16-surrogates"
ls -lR "$out" | awk '{s+=$5} END {print s " bytes"}'
