#!/usr/bin/env python3
"""Writes a deterministic SQL dump of the kind the dump client makes: a header, table
definitions and extended INSERT statements of realistic rows.

  gen_dump.py OUTPUT [SIZE]    SIZE in bytes, or with K, M or G (powers of 1024); default 1G

The same size always gives the same bytes.
"""
import random
import sys

FIRST = ["Ana", "Luis", "María", "José", "Carmen", "Jorge", "Lucía", "Pedro", "Elena", "Raúl",
         "Sofía", "Diego", "Paula", "Andrés", "Marta", "Javier", "Rosa", "Miguel", "Laura", "Óscar"]
LAST = ["García", "Martínez", "López", "Sánchez", "Pérez", "Gómez", "Fernández", "Díaz", "Torres",
        "Ramírez", "Flores", "Vargas", "Castro", "Ortiz", "Morales", "Rojas", "Herrera", "Medina"]
STREETS = ["Av. Reforma", "Calle Hidalgo", "Calle Juárez", "Av. Insurgentes", "Calle Morelos",
           "Paseo de la Castellana", "Calle Mayor", "Av. Libertador", "Calle 5 de Mayo"]
CITIES = ["Madrid", "Sevilla", "Valencia", "México", "Guadalajara", "Monterrey", "Bogotá", "Lima",
          "Quito", "Santiago", "Buenos Aires", "Montevideo"]
WORDS = ("pedido entrega cliente factura pago pendiente urgente revisar confirmar almacén envío "
         "producto devolución garantía descuento cambio dirección teléfono correo nota").split()

TABLES = {
    "clientes": "`id` int(11) NOT NULL AUTO_INCREMENT,\n  `nombre` varchar(80) NOT NULL,\n"
                "  `email` varchar(120) DEFAULT NULL,\n  `telefono` varchar(20) DEFAULT NULL,\n"
                "  `direccion` varchar(200) DEFAULT NULL,\n  `ciudad` varchar(60) DEFAULT NULL,\n"
                "  `alta` datetime NOT NULL,\n  PRIMARY KEY (`id`)",
    "pedidos": "`id` int(11) NOT NULL AUTO_INCREMENT,\n  `cliente_id` int(11) NOT NULL,\n"
               "  `fecha` datetime NOT NULL,\n  `total` decimal(12,2) NOT NULL,\n"
               "  `estado` enum('nuevo','pagado','enviado','cancelado') NOT NULL,\n"
               "  `notas` text,\n  PRIMARY KEY (`id`)",
    "movimientos": "`id` bigint(20) NOT NULL AUTO_INCREMENT,\n  `pedido_id` int(11) NOT NULL,\n"
                   "  `articulo` varchar(40) NOT NULL,\n  `cantidad` int(11) NOT NULL,\n"
                   "  `precio` decimal(10,2) NOT NULL,\n  `registrado` timestamp NOT NULL,\n"
                   "  PRIMARY KEY (`id`)",
}


def stamp(r):
    return (f"'20{r.randint(10, 24):02}-{r.randint(1, 12):02}-{r.randint(1, 28):02} "
            f"{r.randint(0, 23):02}:{r.randint(0, 59):02}:{r.randint(0, 59):02}'")


def row(table, n, r):
    if table == "clientes":
        first, last = r.choice(FIRST), r.choice(LAST)
        return (f"({n},'{first} {last} {r.choice(LAST)}','{first.lower()}.{last.lower()}{n % 997}"
                f"@correo.com','+52 {r.randint(100, 999)} {r.randint(100, 999)} {r.randint(1000, 9999)}',"
                f"'{r.choice(STREETS)} {r.randint(1, 3000)}, Col. Centro','{r.choice(CITIES)}',{stamp(r)})")
    if table == "pedidos":
        notes = "NULL" if r.random() < 0.4 else "'" + " ".join(r.choices(WORDS, k=r.randint(3, 12))) + "'"
        return (f"({n},{r.randint(1, 200000)},{stamp(r)},{r.randint(50, 500000) / 100:.2f},"
                f"'{r.choice(['nuevo', 'pagado', 'enviado', 'cancelado'])}',{notes})")
    return (f"({n},{r.randint(1, 900000)},'ART-{r.randint(1, 40000):05}',{r.randint(1, 50)},"
            f"{r.randint(100, 2000000) / 100:.2f},{stamp(r)})")


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    text = sys.argv[2] if len(sys.argv) == 3 else "1G"
    unit = text[-1].upper()
    size = int(text[:-1]) * 1024 ** ("KMG".index(unit) + 1) if unit in "KMG" else int(text)
    r = random.Random(20160416)
    pending = [("-- MySQL dump 10.19  Distrib 10.4.32-MariaDB, for Win64 (AMD64)\n--\n"
            "-- Host: localhost    Database: quolmer\n"
            "-- ------------------------------------------------------\n\n"
            "/*!40101 SET NAMES utf8mb4 */;\n/*!40014 SET FOREIGN_KEY_CHECKS=0 */;\n\n").encode()]
    written = len(pending[0])
    counters = dict.fromkeys(TABLES, 0)
    with open(sys.argv[1], "wb") as f:
        while written < size:
            for table, columns in TABLES.items():
                block = (f"--\n-- Table structure for table `{table}`\n--\n\n"
                         f"DROP TABLE IF EXISTS `{table}`;\nCREATE TABLE `{table}` (\n  {columns}\n"
                         f") ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;\n\nLOCK TABLES `{table}` WRITE;\n"
                         if counters[table] == 0 else "")
                rows = []
                for _ in range(400):
                    counters[table] += 1
                    rows.append(row(table, counters[table], r))
                block += f"INSERT INTO `{table}` VALUES " + ",".join(rows) + ";\n"
                pending.append(block.encode())
                written += len(pending[-1])
            f.write(b"".join(pending))
            pending = []
        f.truncate(size)


if __name__ == "__main__":
    main()
