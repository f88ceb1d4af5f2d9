-- The search for an open document of a customer reads the first one by number: with the
-- number at the end of the index, the search reads only that customer's documents of the
-- year and kind, in order, instead of every document of the year.
CREATE INDEX IF NOT EXISTS IX_FatTest_ApertiNum ON FatTest (GruppoCli, MastroCli, ContoCli, Anno, FattDocumento, NumRif);
CREATE INDEX IF NOT EXISTS IX_DdtTest_ApertiNum ON DdtTest (GruppoCli, MastroCli, ContoCli, Anno, FattDocumento, NumRif);
CREATE INDEX IF NOT EXISTS IX_OrdVenTest_ApertiNum ON OrdVenTest (GruppoCli, MastroCli, ContoCli, Anno, FattDocumento, NumRif);

-- The new indexes begin with every column of the old ones.
DROP INDEX IF EXISTS IX_FatTest_Aperti;
DROP INDEX IF EXISTS IX_DdtTest_Aperti;
DROP INDEX IF EXISTS IX_OrdVenTest_Aperti;

INSERT INTO SchemaVersione (Versione, DataAgg)
SELECT 2, CURRENT_TIMESTAMP
WHERE NOT EXISTS (SELECT 1 FROM SchemaVersione WHERE Versione = 2);
