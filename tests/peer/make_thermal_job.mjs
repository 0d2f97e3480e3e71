// Encodes a picture as a Node.js print server would, with an ESC/POS library
// that sends the whole picture as one GS v 0 command (mode 48), feeds and
// cuts, without initialising the printer first.
//   node make_thermal_job.mjs WIDTH HEIGHT OUT.prn   (writes OUT.prn and OUT.prn.dots)
import thermal from 'node-thermal-printer';
import pngjs from 'pngjs';
import { writeFileSync } from 'fs';

const { ThermalPrinter, PrinterTypes } = thermal;
const { PNG } = pngjs;
const width = Number(process.argv[2]);
const height = Number(process.argv[3]);
const out = process.argv[4];
const png = new PNG({ width, height });
const dots = [];
for (let y = 0; y < height; y++) {
  for (let x = 0; x < width; x++) {
    // Slanted stripes and a frame: a row or column out of place shows.
    const black = (x * 5 + y * 3) % 13 < 5 || y === 0 || x === 0 || x === width - 1;
    const index = (y * width + x) * 4;
    png.data[index] = png.data[index + 1] = png.data[index + 2] = black ? 0 : 255;
    png.data[index + 3] = 255;
    dots.push(black ? '1' : '0');
  }
}
const printer = new ThermalPrinter({ type: PrinterTypes.EPSON });
await printer.printImageBuffer(PNG.sync.write(png));
printer.cut();
writeFileSync(out, printer.getBuffer());
writeFileSync(out + '.dots', dots.join(''));
