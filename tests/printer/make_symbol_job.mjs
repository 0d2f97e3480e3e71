// Writes a job of barcodes and QR codes with an ESC/POS encoder that is not
// ours, and beside it what each symbol must scan to.
//   node make_symbol_job.mjs OUT.prn   (writes OUT.prn and OUT.prn.expected:
//   one line per symbol, "zbarimg options<TAB>data")
import ReceiptPrinterEncoder from '@point-of-sale/receipt-printer-encoder';
import { writeFileSync } from 'fs';

const out = process.argv[2];
const encoder = new ReceiptPrinterEncoder({ language: 'esc-pos' });
const expected = [];
encoder.initialize();

const barcodes = [
  ['490123456789', 'ean13', '', '4901234567894'],
  ['01234567890', 'upca', '-Supca.enable', '012345678905'],
  ['9638507', 'ean8', '', '96385074'],
  ['TESK-39', 'code39', '', 'TESK-39'],
  ['12345678', 'itf', '', '12345678'],
  ['A40156B', 'codabar', '', 'A40156B'],
  ['Tesk 93', 'code93', '', 'Tesk 93'],
  ['Receipt-42', 'code128', '', 'Receipt-42'],
  ['(01)09501101530003(10)AB12', 'gs1-128', '', '010950110153000310AB12'],
  ['0950110153000', 'gs1-databar-omni', '', '0109501101530003'],
];
for (const [value, symbology, options, decoded] of barcodes) {
  for (const width of [1, 2, 3]) {
    encoder.barcode(value, symbology, { height: 50, width, text: 'below' }).newline();
    expected.push(`${options}\t${decoded}`);
  }
}

for (const size of [2, 4, 8]) {
  for (const errorlevel of ['l', 'm', 'q', 'h']) {
    const value = `https://tesk.example/r/${size}${errorlevel}`;
    encoder.qrcode(value, { model: 2, size, errorlevel }).newline();
    expected.push(`\t${value}`);
  }
}

writeFileSync(out, Buffer.from(encoder.encode()));
writeFileSync(out + '.expected', expected.join('\n') + '\n');
