// Encodes a text receipt with an ESC/POS encoder that is not ours: sizes,
// alignment, styles and code pages, the way a POS application sends them.
//   node make_text_receipt.mjs OUT.prn
// writes OUT.prn and OUT.prn.lines.json, the lines as the encoder was given them.
import ReceiptPrinterEncoder from '@point-of-sale/receipt-printer-encoder';
import { writeFileSync } from 'fs';

const out = process.argv[2];
const lines = [
  { text: 'TESK CAFE', align: 'center', size: 2, codepage: 'cp437' },
  { text: 'Coffee 2x 7.00', align: 'left', size: 1, codepage: 'cp437' },
  { text: 'Total 14.00', align: 'right', size: 1, codepage: 'cp437', bold: true },
  { text: 'Grüße à café', align: 'left', size: 1, codepage: 'cp437', underline: true },
  { text: 'Prix 5€ net', align: 'center', size: 1, codepage: 'windows1252' },
  { text: 'Спасибо', align: 'right', size: 1, codepage: 'cp866' },
  { text: 'Merci', align: 'left', size: 3, codepage: 'cp437' },
];
let encoder = new ReceiptPrinterEncoder({ language: 'esc-pos', columns: 48 }).initialize();
for (const line of lines) {
  encoder = encoder.codepage(line.codepage).align(line.align).size(line.size, line.size);
  if (line.bold) encoder = encoder.bold(true);
  if (line.underline) encoder = encoder.underline(true);
  encoder = encoder.line(line.text);
  if (line.bold) encoder = encoder.bold(false);
  if (line.underline) encoder = encoder.underline(false);
}
writeFileSync(out, Buffer.from(encoder.size(1, 1).encode()));
writeFileSync(out + '.lines.json', JSON.stringify(lines));
