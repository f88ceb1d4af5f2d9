-- The lines of a quote are read in their order (RigDet): with the order in an index, the
-- fulfilment reads them in place instead of sorting every wide line of the quote, as the
-- lines of the invoices already are (IX_FatDett_RigDet).
CREATE INDEX IF NOT EXISTS IX_PreVenDett_RigDet ON PreVenDett (Anno, NumRif, RigDet);

INSERT INTO SchemaVersione (Versione, DataAgg)
SELECT 3, CURRENT_TIMESTAMP
WHERE NOT EXISTS (SELECT 1 FROM SchemaVersione WHERE Versione = 3);
