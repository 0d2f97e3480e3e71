// Encodes a picture with an ESC/POS encoder that is not ours, as a POS
// application would, and writes the job and the dots it was given.
//   node make_peer_job.mjs WIDTH HEIGHT OUT.prn [column] [bare]
//   (writes OUT.prn and OUT.prn.dots). The picture goes as GS v 0 bands, or
// with `column` as ESC * column lines. With `bare` the job is sent without
// initialising the printer first, so it begins with the picture's commands.
import ReceiptPrinterEncoder from '@point-of-sale/receipt-printer-encoder';
import ImageData from '@canvas/image-data';
import { writeFileSync } from 'fs';

const width = Number(process.argv[2]);
const height = Number(process.argv[3]);
const out = process.argv[4];
const imageMode = process.argv.slice(5).includes('column') ? 'column' : 'raster';
const bare = process.argv.slice(5).includes('bare');
const pixels = new Uint8ClampedArray(width * height * 4);
const dots = [];
for (let y = 0; y < height; y++) {
  for (let x = 0; x < width; x++) {
    // Diagonal strokes and a border: every row differs, so a band out of place shows.
    const black = (x * 7 + y * 3) % 11 < 4 || x === y % width || y === 0 || x === width - 1;
    const value = black ? 0 : 255;
    const index = (y * width + x) * 4;
    pixels[index] = pixels[index + 1] = pixels[index + 2] = value;
    pixels[index + 3] = 255;
    dots.push(black ? '1' : '0');
  }
}
const encoder = new ReceiptPrinterEncoder({ language: 'esc-pos', imageMode });
const job = (bare ? encoder : encoder.initialize()).image(new ImageData(pixels, width, height), width, height, 'threshold', 128).encode();
writeFileSync(out, Buffer.from(job));
writeFileSync(out + '.dots', dots.join(''));
