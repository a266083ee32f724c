// Prints a database as mdb-reader reads it, in the shape of `mdb dump --json`
// (values normalised: dates as YYYY-MM-DDTHH:MM:SS, binary as lower-case hex).
// Usage: node mdb_reader_dump.mjs FILE
import { readFileSync } from "node:fs";
import MDBReader from "mdb-reader";

const reader = new MDBReader(readFileSync(process.argv[2]));
const out = { tables: [] };
for (const name of reader.getTableNames({ normalTables: true, systemTables: false })) {
  const table = reader.getTable(name);
  const columns = table.getColumns();
  const names = columns.map((c) => c.name);
  const rows = table.getData().map((row) =>
    names.map((n) => {
      const v = row[n];
      if (v === null || v === undefined) return null;
      if (v instanceof Date) return v.toISOString().slice(0, 19);
      if (Buffer.isBuffer(v)) return v.toString("hex");
      if (typeof v === "bigint") return v.toString();
      return v;
    }),
  );
  out.tables.push({
    name,
    columns: columns.map((c) => ({
      name: c.name, type: c.type, size: c.size,
      precision: c.precision, scale: c.scale,
    })),
    rows,
  });
}
process.stdout.write(JSON.stringify(out));
